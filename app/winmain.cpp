// Program start and end, in this order: the application object; COM for the
// main thread; Form1 and the message loop; then the window destroyed and COM
// uninitialised last.
#include <windows.h>

#include <memory>

#include "app/main.h"
#include "framework/application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
  framework::TApplication application;
  auto com = std::make_unique<framework::TComApartment>();
  framework::RunHandler([&] {
    TForm1 form;
    Form1 = &form;
    form.Show(show_command);
    application.Run();
    Form1 = nullptr;
  });
  Form1 = nullptr;
  com.reset();
  return 0;
}
