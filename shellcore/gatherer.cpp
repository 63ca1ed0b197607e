// Threads and lock order: see gatherer.h. The worker runs WorkerLoop and
// HandleItem; everything else here runs on the UI thread, except WakeWorker
// (any thread) and the report of a failed worker (handed to the UI thread).
#include "shellcore/gatherer.h"

#include <algorithm>
#include <unordered_set>

#include "framework/application.h"
#include "framework/exceptions.h"
#include "framework/rw_lock.h"
#include "framework/system_error.h"
#include "shellcore/item_info.h"
#include "shellcore/item_producer.h"

namespace shellcore {

using framework::TCriticalSectionLock;

TcxEvent::TcxEvent(bool manual_reset, bool initial_state, const std::wstring& name)
    : handle_(CreateEventW(nullptr, manual_reset, initial_state, name.empty() ? nullptr : name.c_str())) {
  if (!handle_) framework::RaiseLastOSError();
}

TcxEvent::~TcxEvent() { CloseHandle(handle_); }
void TcxEvent::SetEvent() { ::SetEvent(handle_); }
void TcxEvent::ResetEvent() { ::ResetEvent(handle_); }
TWaitResult TcxEvent::WaitFor(DWORD timeout) { return framework::WaitServingUi(handle_, timeout); }

void TcxCustomThread::HandleThreadException() {
  exception_ = FatalException();
  struct TForget {
    std::exception_ptr& error;
    ~TForget() { error = nullptr; }
  } forget{exception_};
  DoHandleException();
}

void TcxCustomThread::DoHandleException() {
  try {
    std::rethrow_exception(exception_);
  } catch (const framework::EAbort&) {
    return;
  } catch (...) {
  }
  Synchronize([this] {
    if (framework::Application) framework::Application->HandleException(exception_);
  });
}

TFetchThread::~TFetchThread() {
  Terminate();
  if (Handle()) WaitFor();
}

void TFetchThread::Execute() { gatherer_->WorkerLoop(); }

TcxShellItemsInfoGatherer::TcxShellItemsInfoGatherer(framework::TOwnerControl* owner)
    : owner_(owner), work_signal_(std::make_unique<TcxEvent>(false, false, std::wstring())) {
  worker_ = std::make_unique<TFetchThread>(this);
  worker_->SetPriority(THREAD_PRIORITY_IDLE);
  worker_->Start();
  RegisterLiveGatherer(this);
}

TcxShellItemsInfoGatherer::~TcxShellItemsInfoGatherer() {
  UnregisterLiveGatherer(this);
  StopWorker();
  if (pause_depth_ > 0) worker_lock_.Leave();
}

void TcxShellItemsInfoGatherer::WorkerLoop() {
  framework::TComApartment apartment;  // a failure is no error: the worker runs on
  while (!worker_->Terminated()) {
    TcxShellItemInfo* item = nullptr;
    while (pause_waiting_ && !worker_->Terminated()) Sleep(1);
    {
      TCriticalSectionLock hold(worker_lock_);
      // Stopped while paused: nothing more is taken.
      if (worker_->Terminated()) break;
      {
        TCriticalSectionLock queue(queue_lock_);
        if (!request_queue_.empty()) {
          item = request_queue_.front();
          request_queue_.pop_front();
        }
      }
      if (item) HandleItem(item);
    }
    if (!item) WaitForWork();
  }
}

void TcxShellItemsInfoGatherer::HandleItem(TcxShellItemInfo* item) {
  TcxCustomItemProducer* producer = item->Producer;
  {
    framework::TReadLock read(producer->ItemsGuard());
    if (!producer->IsFetched(item)) producer->FetchInBackground(item);
  }
  bool first = false;
  {
    TCriticalSectionLock done(done_lock_);
    first = done_items_.empty();
    done_items_.push_back(item);
  }
  // The view drains the list while the UI thread is idle; a list that was
  // empty may have no drain coming, so the UI thread is woken for it once.
  if (first) framework::WakeMainThread();
}

void TcxShellItemsInfoGatherer::WaitForWork() { work_signal_->WaitFor(INFINITE); }
void TcxShellItemsInfoGatherer::WakeWorker() { work_signal_->SetEvent(); }

void TcxShellItemsInfoGatherer::RequestItem(TcxShellItemInfo* item) {
  {
    TCriticalSectionLock hold(queue_lock_);
    const auto found = std::find(request_queue_.begin(), request_queue_.end(), item);
    if (found != request_queue_.end()) {
      request_queue_.erase(found);
      request_queue_.push_front(item);
    } else {
      request_queue_.push_back(item);
    }
  }
  WakeWorker();
}

void TcxShellItemsInfoGatherer::RequestItems(const std::vector<TcxShellItemInfo*>& items) {
  {
    TCriticalSectionLock hold(queue_lock_);
    request_queue_.insert(request_queue_.end(), items.begin(), items.end());
  }
  WakeWorker();
}

void TcxShellItemsInfoGatherer::ClearRequests() {
  TCriticalSectionLock queue(queue_lock_);
  TCriticalSectionLock done(done_lock_);
  request_queue_.clear();
  done_items_.clear();
}

void TcxShellItemsInfoGatherer::CancelProducerRequests(TcxCustomItemProducer* producer) {
  if (cancel_in_progress_) return;
  cancel_in_progress_ = true;
  PauseFetching();
  struct TFinish {
    TcxShellItemsInfoGatherer& self;
    ~TFinish() {
      self.cancel_in_progress_ = false;
      self.ResumeFetching();
    }
  } finish{*this};
  if (!producer) {
    ClearRequests();
    return;
  }
  // Every occurrence goes: a record left behind would be used after its
  // producer freed it. The producer's list changes only on this thread.
  std::unordered_set<const TcxShellItemInfo*> records;
  records.reserve(static_cast<size_t>(producer->ItemCount()));
  for (int i = 0; i < producer->ItemCount(); ++i) records.insert(producer->Item(i));
  const auto withdrawn = [&records](TcxShellItemInfo* item) { return records.count(item) != 0; };
  {
    TCriticalSectionLock queue(queue_lock_);
    request_queue_.erase(std::remove_if(request_queue_.begin(), request_queue_.end(), withdrawn),
                         request_queue_.end());
  }
  TCriticalSectionLock done(done_lock_);
  done_items_.erase(std::remove_if(done_items_.begin(), done_items_.end(), withdrawn), done_items_.end());
}

void TcxShellItemsInfoGatherer::PauseFetching() {
  if (++pause_depth_ == 1) {
    pause_waiting_ = true;
    worker_lock_.Enter();
    pause_waiting_ = false;
  }
}

void TcxShellItemsInfoGatherer::ResumeFetching() {
  if (pause_depth_ <= 0) return;
  if (--pause_depth_ == 0) worker_lock_.Leave();
}

void TcxShellItemsInfoGatherer::StopWorker() {
  if (!worker_) return;
  worker_->Terminate();
  WakeWorker();
  // Stopped while paused: the worker waits for the lock this thread holds;
  // it is let in, sees the stop and ends without taking an item.
  const bool paused = pause_depth_ > 0;
  if (paused) worker_lock_.Leave();
  worker_->WaitFor();
  if (paused) worker_lock_.Enter();
  worker_.reset();
}

TcxShellItemInfo* TcxShellItemsInfoGatherer::TakeDoneItem() {
  TCriticalSectionLock done(done_lock_);
  if (done_items_.empty()) return nullptr;
  TcxShellItemInfo* item = done_items_.front();
  done_items_.pop_front();
  return item;
}

bool TcxShellItemsInfoGatherer::HasDoneItems() const {
  TCriticalSectionLock done(done_lock_);
  return !done_items_.empty();
}

std::vector<TcxShellItemInfo*> TcxShellItemsInfoGatherer::QueuedItems() const {
  TCriticalSectionLock hold(queue_lock_);
  return std::vector<TcxShellItemInfo*>(request_queue_.begin(), request_queue_.end());
}

std::vector<TcxShellItemInfo*> TcxShellItemsInfoGatherer::DoneList() const {
  TCriticalSectionLock hold(done_lock_);
  return std::vector<TcxShellItemInfo*>(done_items_.begin(), done_items_.end());
}

}  // namespace shellcore
