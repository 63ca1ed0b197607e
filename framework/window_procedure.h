#pragma once
// The window procedure of a class whose objects own their windows.
#include <windows.h>

#include "framework/application.h"

namespace framework {

// The object is CreateWindowEx's creation parameter and is kept in the
// window's user data; `Handle` is where it keeps its window handle, set
// before the first message reaches it, and `Dispatch` takes every message.
// What a handler raises goes to the default display (RunHandler), and the
// message then answers 0. An object that lets go of its window first clears
// the user data; later messages go to DefWindowProc.
template <class T, auto Handle, auto Dispatch>
LRESULT CALLBACK ObjectWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    created->*Handle = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wparam, lparam);
  LRESULT result = 0;
  bool handled = false;
  RunHandler([&] {
    result = (self->*Dispatch)(message, wparam, lparam);
    handled = true;
  });
  return handled ? result : 0;
}

}  // namespace framework
