#pragma once
// A real, hidden top-level window standing for a control that owns option
// objects: it records the messages sent to it. The window exists only after
// Create(), as a control's window exists only once it is shown. Windows only.
#include <windows.h>

#include <vector>

#include "framework/owner_notify.h"

namespace test_support {

struct ReceivedMessage {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};

class OwnerWindow : public framework::TOwnerControl {
 public:
  OwnerWindow() = default;
  ~OwnerWindow() {
    if (window_) DestroyWindow(window_);
  }
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;

  HWND WindowHandle() const override { return window_; }

  void Create() {
    static const ATOM atom = [] {
      WNDCLASSW window_class{};
      window_class.lpfnWndProc = &OwnerWindow::Procedure;
      window_class.hInstance = GetModuleHandleW(nullptr);
      window_class.lpszClassName = L"TestOwnerWindow";
      return RegisterClassW(&window_class);
    }();
    window_ = CreateWindowExW(0, MAKEINTATOM(atom), L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                              nullptr, GetModuleHandleW(nullptr), this);
  }

  // Messages in [first, last] received so far.
  int Count(UINT message) const {
    int count = 0;
    for (const ReceivedMessage& received : messages_) count += received.message == message;
    return count;
  }
  const std::vector<ReceivedMessage>& Messages() const { return messages_; }
  void Clear() { messages_.clear(); }
  // The answer the window gives to recorded messages.
  LRESULT answer = 0;
  // Only messages from this range are recorded (the private range by default).
  UINT first = WM_APP;
  UINT last = 0xBFFF;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<OwnerWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message >= self->first && message <= self->last) {
      self->messages_.push_back(ReceivedMessage{message, wparam, lparam});
      return self->answer;
    }
    return DefWindowProcW(window, message, wparam, lparam);
  }

  HWND window_ = nullptr;
  std::vector<ReceivedMessage> messages_;
};

}  // namespace test_support
