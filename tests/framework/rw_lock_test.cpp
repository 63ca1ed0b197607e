#include "framework/rw_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/watchdog.h"

namespace {

using framework::TMultiReadExclusiveWriteSynchronizer;

TEST(RwLockTest, ReadersShareWritersExclude) {
  test_support::Watchdog watchdog("readers and writers", 60000);
  TMultiReadExclusiveWriteSynchronizer lock;
  std::atomic<int> readers{0};
  std::atomic<bool> overlap{false};
  long value = 0;
  auto reader = [&] {
    for (int i = 0; i < 300; ++i) {
      framework::TReadLock read(lock);
      ++readers;
      const long before = value;
      SwitchToThread();
      if (value != before) overlap = true;  // a writer got in beside a reader
      --readers;
    }
  };
  auto writer = [&] {
    for (int i = 0; i < 300; ++i) {
      framework::TWriteLock write(lock);
      if (readers != 0) overlap = true;
      const long seen = value;
      SwitchToThread();
      value = seen + 1;
    }
  };
  std::thread r1(reader), r2(reader), r3(reader), w1(writer), w2(writer);
  r1.join(), r2.join(), r3.join(), w1.join(), w2.join();
  EXPECT_FALSE(overlap);
  EXPECT_EQ(value, 600);
}

TEST(RwLockTest, HoldersReenterAndAWaitingWriterDoesNotBlockAReadersSecondRead) {
  test_support::Watchdog watchdog("re-entry", 30000);
  TMultiReadExclusiveWriteSynchronizer lock;
  // Writer: writes again and reads inside its write.
  lock.BeginWrite();
  lock.BeginWrite();
  lock.BeginRead();
  EXPECT_TRUE(lock.WritingHere());
  lock.EndRead();
  lock.EndWrite();
  EXPECT_TRUE(lock.WritingHere()) << "one write level is still held";
  bool other_read = false;
  std::thread blocked([&] {
    framework::TReadLock read(lock);
    other_read = true;
  });
  Sleep(50);
  EXPECT_FALSE(other_read) << "another thread reads only after the last write level";
  lock.EndWrite();
  blocked.join();
  EXPECT_TRUE(other_read);
  EXPECT_FALSE(lock.WritingHere());

  // Reader: while a writer waits for it, it may read again; the writer then
  // gets its turn once the reader is done.
  lock.BeginRead();
  std::atomic<bool> wrote{false};
  std::thread writer([&] {
    framework::TWriteLock write(lock);
    wrote = true;
  });
  Sleep(50);
  EXPECT_FALSE(wrote);
  lock.BeginRead();
  EXPECT_EQ(lock.ReadDepthHere(), 2);
  lock.EndRead();
  lock.EndRead();
  writer.join();
  EXPECT_TRUE(wrote);

  // A lone reader may ask to write.
  lock.BeginRead();
  lock.BeginWrite();
  EXPECT_TRUE(lock.WritingHere());
  lock.EndWrite();
  lock.EndRead();
  EXPECT_FALSE(lock.WritingHere());
  EXPECT_EQ(lock.ReadDepthHere(), 0);
}

}  // namespace
