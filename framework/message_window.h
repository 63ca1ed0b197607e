#pragma once
// A hidden window of the program's own whose messages a derived class
// handles: an owner for popup menus and a receiver of messages that need a
// window. UI thread only.
#include <windows.h>

namespace framework {

class TMessageWindow {
 public:
  TMessageWindow();
  virtual ~TMessageWindow();
  TMessageWindow(const TMessageWindow&) = delete;
  TMessageWindow& operator=(const TMessageWindow&) = delete;

  HWND Handle() const { return handle_; }

 protected:
  // The default passes the message on to DefWindowProc.
  virtual LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  HWND handle_ = nullptr;
};

}  // namespace framework
