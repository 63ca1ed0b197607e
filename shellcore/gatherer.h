#pragma once
// Background fetching: one worker per view control completes the item
// records the view asks for, one at a time at idle priority, and hands them
// back through the done list, which the view drains on the UI thread while
// it is idle. A record put on an empty done list wakes the UI thread's loop
// (framework::WakeMainThread), so fetched details show without user input.
//
// Threads: the UI thread constructs, requests, cancels, pauses, drains and
// destroys; the worker (TFetchThread, its own single-threaded apartment)
// takes requests and fetches. Locks nest only in this order:
//   1. WorkerLock: the worker's, for the whole handling of one item; the UI
//      thread's between PauseFetching and ResumeFetching;
//   2. a producer's ItemsGuard: the worker reads while it fetches;
//   3. the RequestQueue lock, then the DoneItems lock: a few list
//      operations, never around a call out; the worker drops the producer's
//      read lock before it takes the DoneItems lock;
//   4. LockedGetFileInfo's lock.
// A thread that holds a producer's write lock pauses fetching only after that
// producer's requests were cancelled (the worker may hold WorkerLock while it
// waits for that producer's read lock).
#include <windows.h>

#include <atomic>
#include <deque>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "framework/owner_notify.h"
#include "framework/sync.h"
#include "framework/thread.h"
#include "shellcore/shell_common.h"

namespace shellcore {

class TcxShellItemInfo;
class TcxCustomItemProducer;
class TcxShellItemsInfoGatherer;

using framework::TWaitResult;

// An operating-system event. A wait on the UI thread keeps serving sent
// messages and workers' synchronised calls; on any other thread it blocks.
class TcxEvent {
 public:
  TcxEvent(bool manual_reset, bool initial_state, const std::wstring& name);
  ~TcxEvent();
  TcxEvent(const TcxEvent&) = delete;
  TcxEvent& operator=(const TcxEvent&) = delete;

  void SetEvent();
  void ResetEvent();
  TWaitResult WaitFor(DWORD timeout);
  HANDLE Handle() const { return handle_; }

 private:
  HANDLE handle_;
};

// A worker thread whose failure is shown to the user: an exception that ends
// it goes to the application's exception display on the UI thread (through a
// synchronised call, waited for); the silent abort shows nothing.
class TcxCustomThread : public framework::TThread {
 protected:
  TcxCustomThread() = default;
  void HandleThreadException() override;
  // Shows the kept exception on the UI thread.
  virtual void DoHandleException();

  std::exception_ptr exception_;
};

class TFetchThread : public TcxCustomThread {
 public:
  explicit TFetchThread(TcxShellItemsInfoGatherer* gatherer) : gatherer_(gatherer) {}
  ~TFetchThread() override;

 protected:
  void Execute() override;

 private:
  TcxShellItemsInfoGatherer* gatherer_;
};

class TcxShellItemsInfoGatherer : public TcxLiveGatherer {
 public:
  // Starts the worker at idle priority and registers with the layer, whose
  // shut-down stops it.
  explicit TcxShellItemsInfoGatherer(framework::TOwnerControl* owner);
  virtual ~TcxShellItemsInfoGatherer();
  TcxShellItemsInfoGatherer(const TcxShellItemsInfoGatherer&) = delete;
  TcxShellItemsInfoGatherer& operator=(const TcxShellItemsInfoGatherer&) = delete;

  // Queues the record, or moves it to the front when it is already queued.
  void RequestItem(TcxShellItemInfo* item);
  // Appends every record in order, duplicates included.
  void RequestItems(const std::vector<TcxShellItemInfo*>& items);
  // Empties the queue and the done list.
  void ClearRequests();
  // Withdraws every occurrence of the producer's records from both lists
  // (every record with no producer given), after the worker has finished the
  // item in hand. Returns at once when called again from inside itself.
  void CancelProducerRequests(TcxCustomItemProducer* producer);
  // Nested: the first pause waits for the item in hand and holds the worker
  // off; the matching resume lets it go on. UI thread.
  void PauseFetching();
  void ResumeFetching();
  void WakeWorker();
  // Ends the worker after the item in hand and waits for it, serving its
  // synchronised calls meanwhile; the queue is abandoned. Safe to call twice,
  // and while fetching is paused.
  void StopWorker() override;
  // The oldest fetched record, or null. UI thread.
  TcxShellItemInfo* TakeDoneItem();
  bool HasDoneItems() const;

  // Copies of the lists and the state, for views and tests.
  std::vector<TcxShellItemInfo*> QueuedItems() const;
  std::vector<TcxShellItemInfo*> DoneList() const;
  int PauseDepth() const { return pause_depth_; }
  bool WorkerRunning() const { return worker_ && !worker_->Finished(); }
  framework::TOwnerControl* OwnerControl() const { return owner_; }

 protected:
  friend class TFetchThread;
  // The worker's loop and its handling of one item.
  void WorkerLoop();
  virtual void HandleItem(TcxShellItemInfo* item);
  void WaitForWork();

 private:
  framework::TOwnerControl* owner_;
  std::unique_ptr<TcxEvent> work_signal_;
  mutable framework::TCriticalSection queue_lock_;
  std::deque<TcxShellItemInfo*> request_queue_;
  std::unique_ptr<TFetchThread> worker_;
  bool cancel_in_progress_ = false;
  framework::TCriticalSection worker_lock_;
  mutable framework::TCriticalSection done_lock_;
  std::deque<TcxShellItemInfo*> done_items_;
  int pause_depth_ = 0;
  // Set while the UI thread waits for WorkerLock: the worker then lets it in
  // instead of taking the lock again at once (a critical section is not fair).
  std::atomic<bool> pause_waiting_{false};
};

}  // namespace shellcore
