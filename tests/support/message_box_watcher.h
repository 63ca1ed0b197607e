#pragma once
// Answers the message boxes that the code under test shows on this thread: a
// thread timer, which runs inside the box's own modal loop, reads each box's
// caption, text and owner, notes which windows were disabled meanwhile, and
// presses OK.
#include <windows.h>

#include <string>
#include <vector>

struct SeenMessageBox {
  std::wstring caption;
  std::wstring text;
  HWND owner = nullptr;
  bool watched_window_enabled = true;  // the window given to the watcher, while the box was open
};

class MessageBoxWatcher {
 public:
  explicit MessageBoxWatcher(HWND watched_window = nullptr);
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  const std::vector<SeenMessageBox>& Seen() const { return seen_; }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  static BOOL CALLBACK OnWindow(HWND window, LPARAM);

  UINT_PTR timer_;
  HWND watched_;
  std::vector<SeenMessageBox> seen_;
};
