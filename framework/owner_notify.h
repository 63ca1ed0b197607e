#pragma once
// What an owned object knows of the control that owns it: the control's
// window, which does not exist before the control is shown. Notifications
// go to that window synchronously, and nowhere while it does not exist.
#include <windows.h>

namespace framework {

class TOwnerControl {
 public:
  // The control's window, or nullptr while it has none.
  virtual HWND WindowHandle() const = 0;
  bool HandleAllocated() const { return WindowHandle() != nullptr; }

 protected:
  ~TOwnerControl() = default;
};

// Sends `message` to the owner's window and answers true, or does nothing and
// answers false when there is no owner or it has no window yet.
bool SendToOwnerWindow(const TOwnerControl* owner, UINT message, WPARAM wparam, LPARAM lparam,
                       LRESULT* result = nullptr);

}  // namespace framework
