#include "tests/support/message_box_watcher.h"

namespace {
MessageBoxWatcher* active_watcher = nullptr;
}

MessageBoxWatcher::MessageBoxWatcher(HWND watched_window)
    : timer_(SetTimer(nullptr, 0, 20, &MessageBoxWatcher::OnTimer)), watched_(watched_window) {
  active_watcher = this;
}

MessageBoxWatcher::~MessageBoxWatcher() {
  KillTimer(nullptr, timer_);
  active_watcher = nullptr;
}

BOOL CALLBACK MessageBoxWatcher::OnWindow(HWND window, LPARAM) {
  wchar_t class_name[16];
  if (!GetClassNameW(window, class_name, 16) || lstrcmpW(class_name, L"#32770") != 0 || !IsWindowVisible(window))
    return TRUE;
  SeenMessageBox box;
  wchar_t text[1024];
  GetWindowTextW(window, text, 1024);
  box.caption = text;
  GetDlgItemTextW(window, 0xFFFF, text, 1024);
  box.text = text;
  box.owner = GetWindow(window, GW_OWNER);
  box.watched_window_enabled = active_watcher->watched_ ? IsWindowEnabled(active_watcher->watched_) != FALSE : true;
  active_watcher->seen_.push_back(box);
  PostMessageW(window, WM_COMMAND, IDOK, 0);
  return TRUE;
}

void CALLBACK MessageBoxWatcher::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (active_watcher) EnumThreadWindows(GetCurrentThreadId(), &MessageBoxWatcher::OnWindow, 0);
}
