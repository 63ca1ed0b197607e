#include "tests/support/ui_host.h"

#include <atomic>
#include <thread>

#include "framework/application.h"

namespace test_support {

namespace {

framework::TFormDescription HostDescription() {
  framework::TFormDescription description;
  description.caption = L"host";
  description.width = 400;
  description.height = 600;
  description.font_name = L"Tahoma";
  return description;
}

}  // namespace

HostForm::HostForm() : TForm(HostDescription()) {}

bool RunUntil(const std::function<bool()>& done, DWORD milliseconds) {
  bool met = false;
  const int id = framework::Application->AddIdleHandler([&] {
    if (!met && done()) {
      met = true;
      framework::Application->Terminate();
    }
    return true;
  });
  // Ends the loop when the condition never comes; no message reaches the
  // loop before then.
  std::atomic<bool> finished{false};
  const DWORD ui_thread = GetCurrentThreadId();
  std::thread limit([&] {
    for (DWORD waited = 0; waited < milliseconds && !finished; waited += 10) Sleep(10);
    if (!finished) PostThreadMessageW(ui_thread, WM_QUIT, 0, 0);
  });
  framework::Application->Run();
  finished = true;
  limit.join();
  framework::Application->RemoveIdleHandler(id);
  framework::Application->ProcessMessages();  // a quit request posted too late is taken here
  return met;
}

}  // namespace test_support
