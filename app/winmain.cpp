// Program start and end, in this order: the application object; the shell
// layer (OLE, the file-information lock, shell32's functions) before any
// control exists; COM for the main thread; Form1 and the message loop. At the
// end: the window and its components destroyed; the shell layer shut down;
// COM of the main thread uninitialised last. Explicit calls, not static
// objects, so that the order holds.
#include <windows.h>

#include <memory>

#include "app/main.h"
#include "framework/application.h"
#include "shellcore/shell_common.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
  framework::TApplication application;
  bool shell_started = false;
  framework::RunHandler([&] {
    shellcore::ShellCommonStartup();
    shell_started = true;
  });
  if (!shell_started) return 1;
  auto com = std::make_unique<framework::TComApartment>();
  framework::RunHandler([&] {
    TForm1 form;
    Form1 = &form;
    form.Show(show_command);
    application.Run();
    Form1 = nullptr;
  });
  Form1 = nullptr;
  shellcore::ShellCommonShutdown();
  com.reset();
  return 0;
}
