#pragma once
// Ends the test process with a message when a test has not finished within a
// generous bound: a deadlock then fails the run instead of hanging it.
// A crash while it watches (a freed object used, say) also ends the process
// at once with a message, rather than in a debugger that waits for nobody.
// Windows only.
#include <windows.h>

#include <cstdio>
#include <string>
#include <thread>

namespace test_support {

class Watchdog {
 public:
  Watchdog(const char* what, DWORD milliseconds)
      : done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), what_(what) {
    previous_filter_ = SetUnhandledExceptionFilter(&Watchdog::Crashed);
    thread_ = std::thread([this, milliseconds] {
      if (WaitForSingleObject(done_, milliseconds) == WAIT_TIMEOUT) {
        std::fprintf(stderr, "watchdog: %s did not finish; deadlock assumed\n", what_.c_str());
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
      }
    });
  }
  ~Watchdog() {
    SetUnhandledExceptionFilter(previous_filter_);
    SetEvent(done_);
    thread_.join();
    CloseHandle(done_);
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  static LONG WINAPI Crashed(EXCEPTION_POINTERS* info) {
    std::fprintf(stderr, "watchdog: exception %08lX at %p; the test crashed\n",
                 static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
                 info->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 4);
    return EXCEPTION_EXECUTE_HANDLER;
  }

  LPTOP_LEVEL_EXCEPTION_FILTER previous_filter_ = nullptr;
  HANDLE done_;
  std::string what_;
  std::thread thread_;
};

}  // namespace test_support
