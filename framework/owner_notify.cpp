#include "framework/owner_notify.h"

namespace framework {

bool SendToOwnerWindow(const TOwnerControl* owner, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  if (!owner) return false;
  const HWND window = owner->WindowHandle();
  if (!window) return false;
  const LRESULT answer = SendMessageW(window, message, wparam, lparam);
  if (result) *result = answer;
  return true;
}

}  // namespace framework
