#include "framework/message_window.h"

#include "framework/application.h"
#include "framework/system_error.h"
#include "framework/window_procedure.h"

namespace framework {

TMessageWindow::TMessageWindow() {
  static const ATOM window_class = [] {
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    description.lpfnWndProc = &ObjectWindowProc<TMessageWindow, &TMessageWindow::handle_, &TMessageWindow::WndProc>;
    description.hInstance = GetModuleHandleW(nullptr);
    description.lpszClassName = L"TMessageWindow";
    return RegisterClassExW(&description);
  }();
  // A hidden popup rather than a message-only window: it may own a menu.
  handle_ = CreateWindowExW(0, MAKEINTATOM(window_class), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);
  if (!handle_) RaiseLastOSError();
}

TMessageWindow::~TMessageWindow() {
  SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
  DestroyWindow(handle_);
}

LRESULT TMessageWindow::WndProc(UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(handle_, message, wparam, lparam);
}

}  // namespace framework
