#include "shelltree/inner_tree_view.h"

#include <windowsx.h>

#include "shelltree/shell_tree_view.h"

namespace shelltree {

namespace {

bool ChangesScrollRange(UINT message) {
  switch (message) {
    case WM_WINDOWPOSCHANGED:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
    case TVM_INSERTITEMW:
    case TVM_EXPAND:
    case TVM_SELECTITEM:
    case TVM_ENSUREVISIBLE:
    case WM_SETTINGCHANGE:
      return true;
    default:
      return false;
  }
}

}  // namespace

POINT TcxBaseInnerTreeView::Offset() const {
  RECT bounds{};
  if (HandleAllocated()) {
    GetWindowRect(Handle(), &bounds);
    MapWindowPoints(nullptr, GetParent(Handle()), reinterpret_cast<POINT*>(&bounds), 1);
  }
  return POINT{bounds.left, bounds.top};
}

bool TcxBaseInnerTreeView::ContextPopup(POINT client) {
  if (!container_) return false;
  const POINT offset = Offset();
  return container_->ContextPopup(POINT{client.x + offset.x, client.y + offset.y});
}

LRESULT TcxBaseInnerTreeView::WndProc(UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT hooked = 0;
  if (container_ && container_->InnerMessageHook(message, wparam, lparam, hooked)) return hooked;
  return Dispatch(message, wparam, lparam);
}

LRESULT TcxBaseInnerTreeView::Dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
  TcxTreeViewContainer* container = container_;
  if (!container) return TPlatformTreeView::WndProc(message, wparam, lparam);
  // Where a mouse message happened, in the container's client area.
  const auto x = [&] { return GET_X_LPARAM(lparam) + Offset().x; };
  const auto y = [&] { return GET_Y_LPARAM(lparam) + Offset().y; };
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: {
      const LRESULT result = TPlatformTreeView::WndProc(message, wparam, lparam);
      const TMouseButton button = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK   ? mbLeft
                                  : message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK ? mbRight
                                                                                             : mbMiddle;
      TShiftState shift = MouseShiftState(wparam);
      if (message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDBLCLK)
        shift |= ssDouble;
      container->InnerMouseDown(button, shift, x(), y());
      return result;
    }
    case WM_MOUSEMOVE: {
      const LRESULT result = TPlatformTreeView::WndProc(message, wparam, lparam);
      container->MouseMove(MouseShiftState(wparam), x(), y());
      return result;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      const LRESULT result = TPlatformTreeView::WndProc(message, wparam, lparam);
      const TMouseButton button = message == WM_LBUTTONUP ? mbLeft : message == WM_RBUTTONUP ? mbRight : mbMiddle;
      container->MouseUp(button, MouseShiftState(wparam), x(), y());
      return result;
    }
    case WM_MOUSEWHEEL:
      if (container->MouseWheel(GET_KEYSTATE_WPARAM(wparam), GET_WHEEL_DELTA_WPARAM(wparam))) return 0;
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      WORD key = static_cast<WORD>(wparam);
      const TShiftState shift = KeyboardShiftState();
      container->KeyDown(key, shift);
      if (key != 0 && InnerKeyDown(key, shift)) key = 0;
      if (key == 0) return 0;
      return TPlatformTreeView::WndProc(message, key, lparam);
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      WORD key = static_cast<WORD>(wparam);
      if (key == VK_TAB) key = 0;
      if (key != 0) container->KeyUp(key, KeyboardShiftState());
      if (key == 0) return 0;
      return TPlatformTreeView::WndProc(message, key, lparam);
    }
    case WM_CHAR: {
      wchar_t key = static_cast<wchar_t>(wparam);
      if (key == L'\t') key = 0;
      if (key != 0) container->KeyPress(key);
      if (key == L'\r') key = 0;
      if (key == 0) return 0;
      return TPlatformTreeView::WndProc(message, key, lparam);
    }
    case WM_GETDLGCODE: {
      LRESULT code = TPlatformTreeView::WndProc(message, wparam, lparam) | DLGC_WANTCHARS | DLGC_WANTARROWS;
      if (GetKeyState(VK_CONTROL) >= 0) code |= DLGC_WANTTAB;
      return code;
    }
    case WM_SETFOCUS: {
      const LRESULT result = TPlatformTreeView::WndProc(message, wparam, lparam);
      if (!container->Destroying() && !destroying_ && reinterpret_cast<HWND>(wparam) != container->Handle())
        container->FocusChanged();
      return result;
    }
    case WM_KILLFOCUS: {
      const LRESULT result = TPlatformTreeView::WndProc(message, wparam, lparam);
      if (!container->Destroying()) container->FocusChanged();
      return result;
    }
    default:
      break;
  }
  const LRESULT result = TPlatformTreeView::WndProc(message, wparam, lparam);
  if (ChangesScrollRange(message)) container->UpdateScrollBars();
  return result;
}

}  // namespace shelltree
