#include "framework/sync.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(SyncTest, CriticalSectionExcludesOtherThreadsAndReenters) {
  framework::TCriticalSection section;
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 2000; ++i) {
      framework::TCriticalSectionLock hold(section);
      const long seen = counter;
      SwitchToThread();  // invites the other thread into the gap
      counter = seen + 1;
    }
  };
  std::thread other(work);
  work();
  other.join();
  EXPECT_EQ(counter, 4000);

  framework::TCriticalSectionLock outer(section);
  EXPECT_TRUE(section.TryEnter()) << "the holder may enter again";
  section.Leave();
  bool taken_elsewhere = true;
  std::thread([&] { taken_elsewhere = section.TryEnter(); }).join();
  EXPECT_FALSE(taken_elsewhere);
}

}  // namespace
