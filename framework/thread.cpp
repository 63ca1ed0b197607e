// Threads: see thread.h. The queue's lock is taken alone, never around a
// call or a wait.
#include "framework/thread.h"

#include <process.h>

#include <deque>
#include <mutex>

#include "framework/sync.h"
#include "framework/system_error.h"

namespace framework {

namespace {

// Static initialisation runs on the process's main thread.
const DWORD g_main_thread_id = GetCurrentThreadId();

struct TSyncCall {
  const std::function<void()>* call;
  std::exception_ptr error;
  HANDLE done;
};

struct TSyncQueue {
  TCriticalSection lock;
  std::deque<TSyncCall*> calls;
  // Manual reset: set while calls are queued, reset by the one who drains.
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<HWND> window{nullptr};
};

TSyncQueue& Queue() {
  static TSyncQueue queue;
  return queue;
}

class TEventHandle {
 public:
  TEventHandle() : handle_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!handle_) RaiseLastOSError();
  }
  ~TEventHandle() { CloseHandle(handle_); }
  TEventHandle(const TEventHandle&) = delete;
  TEventHandle& operator=(const TEventHandle&) = delete;
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

DWORD MainThreadId() { return g_main_thread_id; }
bool InMainThread() { return GetCurrentThreadId() == g_main_thread_id; }

void SetSynchronizeWindow(HWND window) { Queue().window = window; }
HANDLE SynchronizeEvent() { return Queue().event; }

void WakeMainThread() {
  if (const HWND window = Queue().window.load()) PostMessageW(window, WM_WAKE_MAIN_THREAD, 0, 0);
}

bool CheckSynchronize() {
  if (!InMainThread()) return false;
  TSyncQueue& queue = Queue();
  std::deque<TSyncCall*> calls;
  {
    TCriticalSectionLock hold(queue.lock);
    ResetEvent(queue.event);
    calls.swap(queue.calls);
  }
  for (TSyncCall* call : calls) {
    try {
      (*call->call)();
    } catch (...) {
      call->error = std::current_exception();
    }
    SetEvent(call->done);  // after this the caller's frame may be gone
  }
  return !calls.empty();
}

TWaitResult WaitServingUi(HANDLE handle, DWORD timeout) {
  if (!InMainThread()) {
    switch (WaitForSingleObject(handle, timeout)) {
      case WAIT_OBJECT_0: return TWaitResult::wrSignaled;
      case WAIT_TIMEOUT: return TWaitResult::wrTimeout;
      case WAIT_ABANDONED: return TWaitResult::wrAbandoned;
      default: return TWaitResult::wrError;
    }
  }
  const HANDLE handles[2] = {handle, Queue().event};
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    DWORD slice = 1000;  // recheck now and then even if no wake-up arrives
    if (timeout != INFINITE) {
      const ULONGLONG spent = GetTickCount64() - start;
      if (spent >= timeout) slice = 0;
      else if (timeout - spent < slice) slice = static_cast<DWORD>(timeout - spent);
    }
    const DWORD answer = MsgWaitForMultipleObjects(2, handles, FALSE, slice, QS_SENDMESSAGE);
    if (answer == WAIT_OBJECT_0) return TWaitResult::wrSignaled;
    if (answer == WAIT_ABANDONED_0) return TWaitResult::wrAbandoned;
    if (answer == WAIT_OBJECT_0 + 1) {
      CheckSynchronize();
    } else if (answer == WAIT_OBJECT_0 + 2) {
      // Delivers the messages other threads sent; posted ones stay queued.
      MSG msg;
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    } else if (answer == WAIT_TIMEOUT) {
      CheckSynchronize();
      if (WaitForSingleObject(handle, 0) == WAIT_OBJECT_0) return TWaitResult::wrSignaled;
      if (timeout != INFINITE && GetTickCount64() - start >= timeout) return TWaitResult::wrTimeout;
    } else {
      return TWaitResult::wrError;
    }
  }
}

TThread::TThread() {
  unsigned id = 0;
  handle_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &id));
  if (!handle_) RaiseLastOSError();
  thread_id_ = id;
}

TThread::~TThread() {
  if (started_) WaitFor();
  if (!started_) {
    // Never resumed: let it run to its start and end there at once.
    terminated_ = true;
    ResumeThread(handle_);
    WaitForSingleObject(handle_, INFINITE);
  }
  CloseHandle(handle_);
}

unsigned __stdcall TThread::ThreadProc(void* context) {
  auto* self = static_cast<TThread*>(context);
  if (self->started_) {
    try {
      self->Execute();
    } catch (...) {
      self->fatal_exception_ = std::current_exception();
    }
    if (self->fatal_exception_) {
      try {
        self->HandleThreadException();
      } catch (...) {
      }
    }
  }
  self->finished_ = true;
  return 0;
}

void TThread::Start() {
  if (started_) return;
  started_ = true;
  ResumeThread(handle_);
}

void TThread::SetPriority(int priority) {
  if (!SetThreadPriority(handle_, priority)) RaiseLastOSError();
}

int TThread::Priority() const { return GetThreadPriority(handle_); }

void TThread::WaitFor() {
  if (!started_) return;
  WaitServingUi(handle_, INFINITE);
}

void TThread::Synchronize(const std::function<void()>& call) {
  if (InMainThread()) {
    call();
    return;
  }
  TEventHandle done;
  TSyncCall entry{&call, nullptr, done.Get()};
  TSyncQueue& queue = Queue();
  {
    TCriticalSectionLock hold(queue.lock);
    queue.calls.push_back(&entry);
    SetEvent(queue.event);
  }
  if (const HWND window = queue.window.load()) PostMessageW(window, WM_SYNCHRONIZE_CALLS, 0, 0);
  WaitForSingleObject(done.Get(), INFINITE);
  if (entry.error) std::rethrow_exception(entry.error);
}

}  // namespace framework
