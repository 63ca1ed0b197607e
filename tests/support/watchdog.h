#pragma once
// Ends the test process with a message when a test has not finished within a
// generous bound: a deadlock then fails the run instead of hanging it.
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
    thread_ = std::thread([this, milliseconds] {
      if (WaitForSingleObject(done_, milliseconds) == WAIT_TIMEOUT) {
        std::fprintf(stderr, "watchdog: %s did not finish; deadlock assumed\n", what_.c_str());
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
      }
    });
  }
  ~Watchdog() {
    SetEvent(done_);
    thread_.join();
    CloseHandle(done_);
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  HANDLE done_;
  std::string what_;
  std::thread thread_;
};

}  // namespace test_support
