#include "shellcore/gatherer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "framework/application.h"
#include "framework/exceptions.h"
#include "framework/rw_lock.h"
#include "framework/thread.h"
#include "shellcore/item_producer.h"
#include "tests/support/message_box_watcher.h"
#include "tests/shellcore/shell_test_support.h"
#include "tests/shellcore/test_producer.h"
#include "tests/support/temp_dir.h"
#include "tests/support/watchdog.h"

namespace {

using shellcore::TcxShellItemInfo;
using shellcore::TcxShellItemsInfoGatherer;
using shell_test::TestProducer;
using Records = std::vector<TcxShellItemInfo*>;

// Serves the UI thread's duties until `done` answers true or a generous
// while has passed; answers `done()`.
bool ServeUntil(const std::function<bool()>& done, DWORD milliseconds = 20000) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (!done() && GetTickCount64() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    framework::CheckSynchronize();
    Sleep(1);
  }
  return done();
}

// Every done record drained into `seen`, in order.
void Drain(TcxShellItemsInfoGatherer& gatherer, Records& seen) {
  while (TcxShellItemInfo* item = gatherer.TakeDoneItem()) seen.push_back(item);
}

// A manual-reset event for a worker to wait on.
class Gate {
 public:
  Gate() : handle_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Gate() { CloseHandle(handle_); }
  void Open() { SetEvent(handle_); }
  void Wait() { WaitForSingleObject(handle_, 30000); }
  bool IsOpen() { return WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0; }

 private:
  HANDLE handle_;
};

class GathererTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = shell_test::Wide(temp_.Path());
    for (int i = 0; i < 8; ++i) shell_test::WriteFile(root_ + L"\\rom" + std::to_wstring(i) + L".nes");
    opened_ = shell_test::OpenFolder(root_);
    ASSERT_TRUE(opened_.folder);
  }
  // A producer filled from the folder; the gatherer is asked directly, so the
  // producer does not know it unless `gatherer` is given.
  std::unique_ptr<TestProducer> Fill(TcxShellItemsInfoGatherer* gatherer = nullptr) {
    auto producer = std::make_unique<TestProducer>(nullptr, gatherer);
    producer->ProcessFolder(opened_.folder.Get(), opened_.id.Get(), 0);
    return producer;
  }

  test_support::TempDir temp_;
  std::wstring root_;
  shell_test::OpenedFolder opened_;
};

TEST_F(GathererTest, QueueOrderDuplicatesAndCancelOfEveryOccurrence) {
  test_support::Watchdog watchdog("queue order", 60000);
  TcxShellItemsInfoGatherer gatherer(nullptr);
  auto producer = Fill(&gatherer);
  auto other = Fill(&gatherer);
  TcxShellItemInfo* a = producer->Item(0);
  TcxShellItemInfo* b = producer->Item(1);
  TcxShellItemInfo* c = producer->Item(2);
  TcxShellItemInfo* x = other->Item(0);

  gatherer.PauseFetching();
  gatherer.RequestItems({a, b, a, x, c});
  EXPECT_EQ(gatherer.QueuedItems(), (Records{a, b, a, x, c})) << "duplicates are kept";
  gatherer.RequestItem(c);
  EXPECT_EQ(gatherer.QueuedItems(), (Records{c, a, b, a, x})) << "asked again: moved to the front";
  gatherer.RequestItem(producer->Item(3));
  EXPECT_EQ(gatherer.QueuedItems().back(), producer->Item(3)) << "new: appended";
  gatherer.CancelProducerRequests(producer.get());
  EXPECT_EQ(gatherer.QueuedItems(), (Records{x})) << "every occurrence of the producer's records goes";
  gatherer.CancelProducerRequests(nullptr);
  EXPECT_TRUE(gatherer.QueuedItems().empty());

  // Queued twice, answered twice; also on the done list, cancel takes all.
  gatherer.RequestItems({a, a, x});
  gatherer.ResumeFetching();
  ASSERT_TRUE(ServeUntil([&] { return gatherer.DoneList().size() == 3; }));
  EXPECT_EQ(gatherer.DoneList(), (Records{a, a, x}));
  EXPECT_TRUE(a->FullyLoaded);
  EXPECT_EQ(producer->background_fetches, 1) << "the second request only passes through";
  gatherer.CancelProducerRequests(producer.get());
  EXPECT_EQ(gatherer.DoneList(), (Records{x}));
  gatherer.ClearRequests();
  EXPECT_TRUE(gatherer.DoneList().empty());
  EXPECT_EQ(gatherer.TakeDoneItem(), nullptr);
}

TEST_F(GathererTest, EveryRequestIsAnsweredWithoutALostWakeUp) {
  test_support::Watchdog watchdog("wake-ups", 60000);
  TcxShellItemsInfoGatherer gatherer(nullptr);
  auto producer = Fill();
  Records seen;
  // One at a time: the worker sleeps between requests and must wake for each.
  for (int round = 0; round < 100; ++round) {
    TcxShellItemInfo* item = producer->Item(round % producer->ItemCount());
    gatherer.RequestItem(item);
    ASSERT_TRUE(ServeUntil([&] {
      Drain(gatherer, seen);
      return seen.size() == static_cast<size_t>(round + 1);
    })) << "round " << round;
  }
  // Requests made while the worker is busy with an item are served too.
  Gate busy, release;
  producer->before_fetch = [&](TcxShellItemInfo*) {
    busy.Open();
    release.Wait();
  };
  seen.clear();
  auto second = Fill();
  second->before_fetch = producer->before_fetch;
  gatherer.RequestItem(second->Item(0));
  busy.Wait();
  for (int i = 1; i < second->ItemCount(); ++i) gatherer.RequestItem(second->Item(i));
  release.Open();
  ASSERT_TRUE(ServeUntil([&] {
    Drain(gatherer, seen);
    return seen.size() == static_cast<size_t>(second->ItemCount());
  }));
  for (int i = 0; i < second->ItemCount(); ++i) EXPECT_TRUE(second->Item(i)->FullyLoaded);
}

TEST_F(GathererTest, CancelWhileTheWorkerIsBusyWaitsForTheItemInHand) {
  test_support::Watchdog watchdog("cancel while busy", 60000);
  TcxShellItemsInfoGatherer gatherer(nullptr);
  auto producer = Fill(&gatherer);
  Gate busy, release;
  producer->before_fetch = [&](TcxShellItemInfo*) {
    busy.Open();
    release.Wait();
  };
  TcxShellItemInfo* first = producer->Item(0);
  gatherer.RequestItems({first, producer->Item(1), producer->Item(2)});
  busy.Wait();
  // The cancel blocks until the item in hand is done; open the gate later.
  std::thread opener([&] {
    Sleep(100);
    release.Open();
  });
  gatherer.CancelProducerRequests(producer.get());
  opener.join();
  EXPECT_TRUE(first->FullyLoaded) << "the item in hand was finished before the cancel went on";
  EXPECT_TRUE(gatherer.QueuedItems().empty());
  EXPECT_TRUE(gatherer.DoneList().empty()) << "the finished item was withdrawn from the done list too";
  EXPECT_EQ(producer->background_fetches, 1);
  EXPECT_EQ(gatherer.PauseDepth(), 0);
}

TEST_F(GathererTest, PauseNests) {
  test_support::Watchdog watchdog("pause depth", 60000);
  TcxShellItemsInfoGatherer gatherer(nullptr);
  auto producer = Fill();
  gatherer.PauseFetching();
  gatherer.PauseFetching();
  gatherer.RequestItem(producer->Item(0));
  gatherer.ResumeFetching();
  EXPECT_EQ(gatherer.PauseDepth(), 1);
  EXPECT_FALSE(ServeUntil([&] { return !gatherer.DoneList().empty(); }, 200)) << "still paused";
  gatherer.ResumeFetching();
  EXPECT_TRUE(ServeUntil([&] { return !gatherer.DoneList().empty(); }));
  gatherer.ResumeFetching();  // at depth 0: nothing
  EXPECT_EQ(gatherer.PauseDepth(), 0);
  gatherer.PauseFetching();
  gatherer.RequestItem(producer->Item(1));
  EXPECT_FALSE(ServeUntil([&] { return gatherer.DoneList().size() == 2; }, 200)) << "a pause still holds";
  gatherer.ResumeFetching();
  EXPECT_TRUE(ServeUntil([&] { return gatherer.DoneList().size() == 2; }));
}

TEST_F(GathererTest, DestructionDuringAnItemFinishesItAndDropsTheRest) {
  test_support::Watchdog watchdog("destruction during an item", 60000);
  auto producer = Fill();
  Gate busy, release;
  producer->before_fetch = [&](TcxShellItemInfo*) {
    busy.Open();
    release.Wait();
  };
  auto gatherer = std::make_unique<TcxShellItemsInfoGatherer>(nullptr);
  const TcxShellItemsInfoGatherer* address = gatherer.get();
  EXPECT_TRUE(shellcore::IsLiveGatherer(address));
  gatherer->RequestItems({producer->Item(0), producer->Item(1), producer->Item(2)});
  busy.Wait();
  std::thread opener([&] {
    Sleep(100);
    release.Open();
  });
  gatherer.reset();  // returns once the item in hand is done
  EXPECT_TRUE(producer->Item(0)->FullyLoaded);
  EXPECT_FALSE(shellcore::IsLiveGatherer(address));
  opener.join();
  EXPECT_FALSE(producer->Item(1)->FullyLoaded);
  EXPECT_FALSE(producer->Item(2)->FullyLoaded);
  EXPECT_EQ(producer->background_fetches, 1);
}

TEST_F(GathererTest, StopWhilePausedEndsTheWorkerWithoutTakingAnItem) {
  test_support::Watchdog watchdog("stop while paused", 60000);
  auto producer = Fill();
  TcxShellItemsInfoGatherer gatherer(nullptr);
  gatherer.PauseFetching();
  gatherer.RequestItems({producer->Item(0), producer->Item(1)});
  gatherer.StopWorker();
  EXPECT_FALSE(gatherer.WorkerRunning());
  EXPECT_EQ(gatherer.PauseDepth(), 1);
  gatherer.ResumeFetching();
  gatherer.StopWorker();  // a second stop does nothing
  EXPECT_EQ(producer->background_fetches, 0);
  EXPECT_EQ(gatherer.QueuedItems().size(), 2u) << "abandoned, not answered";
}

TEST_F(GathererTest, WorkerExceptionIsShownOnTheUiThreadAlsoWhileItIsBeingStopped) {
  test_support::Watchdog watchdog("exception report", 60000);
  framework::TApplication application;
  MessageBoxWatcher watcher;
  auto producer = Fill();
  DWORD fetch_thread = 0;
  producer->before_fetch = [&](TcxShellItemInfo*) {
    fetch_thread = GetCurrentThreadId();
    throw framework::Exception(L"the shell failed");
  };
  {
    TcxShellItemsInfoGatherer gatherer(nullptr);
    gatherer.RequestItem(producer->Item(0));
    // The report reaches the UI thread through the application's window.
    ASSERT_TRUE(ServeUntil([&] { return !watcher.Seen().empty() && !gatherer.WorkerRunning(); }));
    EXPECT_NE(fetch_thread, GetCurrentThreadId());
    EXPECT_TRUE(gatherer.DoneList().empty()) << "the failed item is not answered";
    gatherer.RequestItem(producer->Item(1));
    EXPECT_FALSE(ServeUntil([&] { return !gatherer.DoneList().empty(); }, 200)) << "the worker is gone";
  }
  ASSERT_EQ(watcher.Seen().size(), 1u);
  EXPECT_EQ(watcher.Seen()[0].text, L"the shell failed.");
  EXPECT_EQ(watcher.Seen()[0].caption, application.Title());

  // The worker fails just as the UI thread waits for its end: the wait serves
  // the report instead of waiting for ever.
  Gate busy, release;
  producer->before_fetch = [&](TcxShellItemInfo*) {
    busy.Open();
    release.Wait();
    throw framework::Exception(L"failed while stopping");
  };
  {
    TcxShellItemsInfoGatherer gatherer(nullptr);
    gatherer.RequestItem(producer->Item(2));
    busy.Wait();
    std::thread opener([&] {
      Sleep(100);
      release.Open();
    });
    gatherer.StopWorker();
    opener.join();
  }
  ASSERT_EQ(watcher.Seen().size(), 2u);
  EXPECT_EQ(watcher.Seen()[1].text, L"failed while stopping.");

  // The silent abort ends the worker without a word.
  producer->before_fetch = [](TcxShellItemInfo*) { framework::Abort(); };
  {
    TcxShellItemsInfoGatherer gatherer(nullptr);
    gatherer.RequestItem(producer->Item(3));
    ASSERT_TRUE(ServeUntil([&] { return !gatherer.WorkerRunning(); }));
  }
  EXPECT_EQ(watcher.Seen().size(), 2u);
}

TEST_F(GathererTest, StressOfRequestsCancelsPausesAndRefillsWhileTheWorkerFetches) {
  // A bounded run (about two seconds) of everything the UI thread may do while
  // the worker fetches. A deadlock trips the watchdog; a record used after its
  // producer freed it shows up on the worker or in the done list as a record
  // no producer owns.
  test_support::Watchdog watchdog("stress", 60000);
  for (int i = 8; i < 30; ++i) shell_test::WriteFile(root_ + L"\\rom" + std::to_wstring(i) + L".nes");
  TcxShellItemsInfoGatherer gatherer(nullptr);
  std::mutex live_lock;
  std::set<const TcxShellItemInfo*> live;
  std::atomic<int> freed_on_worker{0};
  std::atomic<int> unlocked_on_worker{0};
  std::vector<std::unique_ptr<TestProducer>> producers;
  auto track = [&](TestProducer& producer) {
    std::lock_guard<std::mutex> hold(live_lock);
    for (int i = 0; i < producer.ItemCount(); ++i) live.insert(producer.Item(i));
  };
  auto make = [&] {
    auto producer = Fill(&gatherer);
    TestProducer* self = producer.get();
    producer->before_fetch = [&, self](TcxShellItemInfo* item) {
      if (self->ItemsGuard().ReadDepthHere() == 0) ++unlocked_on_worker;
      std::lock_guard<std::mutex> hold(live_lock);
      if (!live.count(item)) ++freed_on_worker;
    };
    track(*producer);
    return producer;
  };
  for (int i = 0; i < 3; ++i) producers.push_back(make());

  unsigned seed = 2024;
  auto next = [&](unsigned bound) {
    seed = seed * 1664525 + 1013904223;
    return (seed >> 8) % bound;
  };
  int drained = 0;
  int stale = 0;
  const ULONGLONG end = GetTickCount64() + 2000;
  while (GetTickCount64() < end) {
    TestProducer& producer = *producers[next(3)];
    switch (next(8)) {
      case 0:
      case 1:
        if (producer.ItemCount()) gatherer.RequestItem(producer.Item(static_cast<int>(next(producer.ItemCount()))));
        break;
      case 2: {
        Records batch;
        for (int i = 0; i < producer.ItemCount(); i += 1 + static_cast<int>(next(3))) batch.push_back(producer.Item(i));
        gatherer.RequestItems(batch);
        break;
      }
      case 3:
        gatherer.CancelProducerRequests(&producer);
        break;
      case 4: {
        gatherer.PauseFetching();
        gatherer.PauseFetching();
        if (producer.ItemCount()) gatherer.RequestItem(producer.Item(0));
        gatherer.ResumeFetching();
        gatherer.ResumeFetching();
        break;
      }
      case 5: {
        // Refill: the records go (after Clear has withdrawn them), new ones come.
        std::vector<const TcxShellItemInfo*> old;
        for (int i = 0; i < producer.ItemCount(); ++i) old.push_back(producer.Item(i));
        producer.Clear();
        {
          std::lock_guard<std::mutex> hold(live_lock);
          for (const TcxShellItemInfo* item : old) live.erase(item);
        }
        producer.ProcessFolder(opened_.folder.Get(), opened_.id.Get(), static_cast<int>(next(3)));
        track(producer);
        break;
      }
      case 6: {
        // Replace a whole producer: its destructor withdraws its records.
        const size_t index = next(3);
        std::vector<const TcxShellItemInfo*> old;
        for (int i = 0; i < producers[index]->ItemCount(); ++i) old.push_back(producers[index]->Item(i));
        producers[index].reset();
        {
          std::lock_guard<std::mutex> hold(live_lock);
          for (const TcxShellItemInfo* item : old) live.erase(item);
        }
        producers[index] = make();
        break;
      }
      default:
        break;
    }
    while (TcxShellItemInfo* item = gatherer.TakeDoneItem()) {
      ++drained;
      std::lock_guard<std::mutex> hold(live_lock);
      if (!live.count(item)) ++stale;
    }
    if (next(4) == 0) Sleep(0);
  }
  gatherer.StopWorker();
  EXPECT_EQ(freed_on_worker, 0) << "the worker was handed a freed record";
  EXPECT_EQ(unlocked_on_worker, 0) << "the worker fetched without the producer's read lock";
  EXPECT_EQ(stale, 0) << "a freed record reached the done list";
  EXPECT_GT(drained, 0);
  producers.clear();
}

}  // namespace
