#pragma once
// What window tests and benchmarks share: a plain top-level window to put a
// control on, and the application's message loop run without any input
// until a condition holds. Windows only; main thread.
#include <windows.h>

#include <functional>

#include "framework/forms.h"

namespace test_support {

class HostForm : public framework::TForm {
 public:
  HostForm();
};

// Runs the application's loop, with no input, until `done` holds at an idle
// moment; answers false when it did not within `milliseconds`.
bool RunUntil(const std::function<bool()>& done, DWORD milliseconds = 10000);

}  // namespace test_support
