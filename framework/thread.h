#pragma once
// Worker threads and the hand-over of calls to the UI (main) thread.
//
// Threads: TThread's owner (normally the UI thread) creates, starts, stops and
// waits for it; Execute runs on the new thread. Synchronize, called on a
// worker, queues a call and blocks until the UI thread has run it in
// CheckSynchronize; the UI thread serves the queue from the application's
// message loop (the wake-up message to its hidden window), from any modal loop
// that dispatches that message, and from WaitServingUi. Locks: the queue's
// lock is a leaf, held only to move calls in or out, never while one runs.
#include <windows.h>

#include <atomic>
#include <exception>
#include <functional>

namespace framework {

// The process's main thread: the thread that ran the program's static
// initialisation, which is the thread that runs main / wWinMain.
DWORD MainThreadId();
bool InMainThread();

// Runs every call queued by Synchronize; on the main thread only (elsewhere
// it does nothing). Answers whether any call ran.
bool CheckSynchronize();

// The message that tells the window given here that calls are queued; it
// is posted to it whenever Synchronize queues one. The application object
// names its hidden window; null stops the posts.
inline constexpr UINT WM_SYNCHRONIZE_CALLS = WM_APP + 0x3F00;
void SetSynchronizeWindow(HWND window);

// The event that is set while calls are queued, for waits that serve them.
HANDLE SynchronizeEvent();

// Wakes the main thread's message loop from any thread, so that it runs its
// idle handlers again: a worker that left results for the UI thread calls it
// instead of waiting for the user to move the mouse. Posted to the same
// window as WM_SYNCHRONIZE_CALLS; nothing happens while there is none.
inline constexpr UINT WM_WAKE_MAIN_THREAD = WM_APP + 0x3F01;
void WakeMainThread();

enum class TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

// Waits for `handle`. On the main thread the wait keeps serving sent
// messages and synchronised calls, so a worker that hands the UI thread a
// call while the UI thread waits for it cannot deadlock; elsewhere it simply
// blocks. `timeout` in milliseconds or INFINITE.
TWaitResult WaitServingUi(HANDLE handle, DWORD timeout);

class TThread {
 public:
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;
  // Waits for the end of a started thread (Terminate is the owner's call).
  virtual ~TThread();

  // Starts a thread created suspended; a second call does nothing.
  void Start();
  // THREAD_PRIORITY_* of the thread.
  void SetPriority(int priority);
  int Priority() const;
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  bool Finished() const { return finished_; }
  HANDLE Handle() const { return handle_; }
  DWORD ThreadId() const { return thread_id_; }
  // Waits until the thread has ended, serving the UI thread's duties while
  // it waits there (see WaitServingUi). Does nothing for a thread never
  // started.
  void WaitFor();
  // The exception that ended Execute, if one did.
  std::exception_ptr FatalException() const { return fatal_exception_; }

  // Runs `call` on the main thread and waits for it; an exception that leaves
  // it is raised again here. On the main thread the call runs at once.
  static void Synchronize(const std::function<void()>& call);

 protected:
  // Creates the thread suspended; raises ESystemError when it cannot.
  TThread();
  virtual void Execute() = 0;
  // Called on the thread when Execute raised, before the thread ends.
  virtual void HandleThreadException() {}
  void ClearFatalException() { fatal_exception_ = nullptr; }

 private:
  static unsigned __stdcall ThreadProc(void* self);

  HANDLE handle_ = nullptr;
  DWORD thread_id_ = 0;
  bool started_ = false;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::exception_ptr fatal_exception_;
};

}  // namespace framework
