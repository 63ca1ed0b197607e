#include "framework/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <vector>

#include "framework/system_error.h"
#include "tests/support/watchdog.h"

namespace {

using framework::TThread;
using framework::TWaitResult;

class LambdaThread : public TThread {
 public:
  explicit LambdaThread(std::function<void(LambdaThread&)> body) : body_(std::move(body)) {}
  ~LambdaThread() override {
    Terminate();
    WaitFor();
  }
  using TThread::Terminated;

 protected:
  void Execute() override { body_(*this); }

 private:
  std::function<void(LambdaThread&)> body_;
};

// Serves queued calls until `done` holds, for at most a generous while.
void ServeUntil(const std::atomic<bool>& done) {
  for (int i = 0; i < 10000 && !done; ++i) {
    framework::CheckSynchronize();
    Sleep(1);
  }
}

TEST(ThreadTest, SynchronizedCallsRunOnTheMainThreadInOrderAndPassExceptionsBack) {
  test_support::Watchdog watchdog("synchronised calls", 30000);
  std::vector<DWORD> ran_on;
  std::vector<int> order;
  std::atomic<bool> done{false};
  bool raised_back = false;
  LambdaThread worker([&](LambdaThread&) {
    for (int i = 0; i < 3; ++i) {
      TThread::Synchronize([&, i] {
        ran_on.push_back(GetCurrentThreadId());
        order.push_back(i);
      });
    }
    try {
      TThread::Synchronize([] { throw framework::Exception(L"from the UI"); });
    } catch (const framework::Exception& e) {
      raised_back = e.Message() == L"from the UI";
    }
    done = true;
  });
  EXPECT_FALSE(worker.Finished()) << "created suspended";
  worker.Start();
  ServeUntil(done);
  worker.WaitFor();
  ASSERT_TRUE(done);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
  for (DWORD id : ran_on) EXPECT_EQ(id, framework::MainThreadId());
  EXPECT_TRUE(raised_back);
  EXPECT_TRUE(framework::InMainThread());
  EXPECT_FALSE(framework::CheckSynchronize()) << "nothing left queued";
}

TEST(ThreadTest, WaitForTheEndServesTheWorkersSynchronizedCalls) {
  // The worker hands the UI thread a call while the UI thread already waits
  // for the worker's end: the wait must serve it, or both wait for ever.
  test_support::Watchdog watchdog("waiting for a worker that synchronises", 30000);
  HANDLE waiting = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  bool served = false;
  LambdaThread worker([&](LambdaThread&) {
    WaitForSingleObject(waiting, INFINITE);
    Sleep(50);  // the UI thread is inside WaitFor by now
    TThread::Synchronize([&] { served = true; });
  });
  worker.Start();
  SetEvent(waiting);
  worker.WaitFor();
  EXPECT_TRUE(served);
  EXPECT_TRUE(worker.Finished());
  CloseHandle(waiting);
}

TEST(ThreadTest, ExceptionThatEndsExecuteIsKeptAndReportedOnTheThread) {
  DWORD reported_on = 0;
  class Failing : public TThread {
   public:
    explicit Failing(DWORD& reported_on) : reported_on_(reported_on) {}
    ~Failing() override { WaitFor(); }

   protected:
    void Execute() override { throw std::runtime_error("worker failed"); }
    void HandleThreadException() override { reported_on_ = GetCurrentThreadId(); }

   private:
    DWORD& reported_on_;
  } failing(reported_on);
  failing.SetPriority(THREAD_PRIORITY_IDLE);
  EXPECT_EQ(failing.Priority(), THREAD_PRIORITY_IDLE);
  failing.Start();
  failing.WaitFor();
  ASSERT_TRUE(failing.FatalException());
  EXPECT_EQ(reported_on, failing.ThreadId());
  EXPECT_THROW(std::rethrow_exception(failing.FatalException()), std::runtime_error);
}

TEST(ThreadTest, UiWaitServesSentMessagesAndTimesOut) {
  test_support::Watchdog watchdog("a UI wait with a sent message", 30000);
  // A window of this thread that another thread sends to while we wait.
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  LRESULT answer = 0;
  LambdaThread sender([&](LambdaThread&) {
    SetWindowTextW(window, L"sent");  // a sent WM_SETTEXT: needs the waiting thread
    answer = 1;
    SetEvent(event);
  });
  sender.Start();
  EXPECT_EQ(framework::WaitServingUi(event, INFINITE), TWaitResult::wrSignaled);
  EXPECT_EQ(answer, 1);
  wchar_t text[8] = {};
  GetWindowTextW(window, text, 8);
  EXPECT_STREQ(text, L"sent");
  ResetEvent(event);
  EXPECT_EQ(framework::WaitServingUi(event, 30), TWaitResult::wrTimeout);
  CloseHandle(event);
  DestroyWindow(window);
}

}  // namespace
