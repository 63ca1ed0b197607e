#include "framework/message_window.h"

#include "framework/application.h"
#include "framework/system_error.h"

namespace framework {

TMessageWindow::TMessageWindow() {
  static const ATOM window_class = [] {
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    description.lpfnWndProc = &TMessageWindow::Procedure;
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

LRESULT CALLBACK TMessageWindow::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<TMessageWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    created->handle_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* self = reinterpret_cast<TMessageWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wparam, lparam);
  LRESULT result = 0;
  bool handled = false;
  RunHandler([&] {
    result = self->WndProc(message, wparam, lparam);
    handled = true;
  });
  return handled ? result : 0;
}

}  // namespace framework
