#include "framework/application.h"

#include <objbase.h>

#include <algorithm>

#include "framework/exceptions.h"
#include "framework/thread.h"

namespace framework {

TApplication* Application = nullptr;

namespace {

constexpr wchar_t kWindowClass[] = L"TApplication";

LRESULT CALLBACK ApplicationWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  // The hidden window never closes by itself: the main form ends the program.
  if (message == WM_CLOSE) {
    if (Application && Application->MainForm()) PostMessageW(Application->MainForm(), WM_CLOSE, 0, 0);
    return 0;
  }
  // Posted by a worker's Synchronize; any loop that dispatches it (ours or a
  // modal one) runs the calls.
  if (message == WM_SYNCHRONIZE_CALLS) {
    CheckSynchronize();
    return 0;
  }
  // Its only purpose is done: the loop found a message, and runs its idle
  // handlers once the queue is empty again.
  if (message == WM_WAKE_MAIN_THREAD) return 0;
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

std::wstring ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring ApplicationTitleFromPath(const std::wstring& executable_path) {
  const std::size_t slash = executable_path.find_last_of(L"\\/:");
  std::wstring title = slash == std::wstring::npos ? executable_path : executable_path.substr(slash + 1);
  const std::size_t dot = title.find(L'.');
  if (dot != std::wstring::npos) title.resize(dot);
  if (title.size() > 1) CharLowerBuffW(title.data() + 1, static_cast<DWORD>(title.size() - 1));
  return title;
}

std::wstring WithFullStop(const std::wstring& message) {
  if (!message.empty() && message.back() > L'.') return message + L".";
  return message;
}

TApplication::TApplication() : title_(ApplicationTitleFromPath(ExecutablePath())) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  icon_ = LoadIconW(instance, L"MAINICON");
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = ApplicationWndProc;
  window_class.hInstance = instance;
  window_class.hIcon = icon_;
  window_class.lpszClassName = kWindowClass;
  RegisterClassExW(&window_class);
  // A visible, zero-sized, unowned window: it carries the task-bar entry while
  // every form it owns stays off the task bar.
  const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
  const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
  handle_ = CreateWindowExW(0, kWindowClass, title_.c_str(),
                            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0,
                            nullptr, nullptr, instance, nullptr);
  if (!handle_) RaiseLastOSError();
  if (icon_) SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  ShowWindow(handle_, SW_SHOWNOACTIVATE);
  Application = this;
  SetSynchronizeWindow(handle_);
}

TApplication::~TApplication() {
  if (Application == this) {
    Application = nullptr;
    SetSynchronizeWindow(nullptr);
  }
  if (handle_) DestroyWindow(handle_);
  // Icons from LoadIconW are shared resources and are not destroyed.
}

void TApplication::RegisterForm(HWND form) {
  forms_.push_back(form);
  if (!main_form_) main_form_ = form;
}

void TApplication::UnregisterForm(HWND form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
  if (main_form_ == form) main_form_ = nullptr;
}

void TApplication::Terminate() {
  // The loop ends when it takes the quit request, so none is left behind
  // to end a later loop (a message box's) by surprise.
  PostQuitMessage(0);
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  const bool ours = root && std::find(forms_.begin(), forms_.end(), root) != forms_.end();
  if (ours && msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
    // Enter presses the focused push button, as it does in a dialog.
    wchar_t class_name[16];
    const HWND focus = GetFocus();
    if (focus && GetClassNameW(focus, class_name, 16) && lstrcmpiW(class_name, L"Button") == 0 &&
        (GetWindowLongW(focus, GWL_STYLE) & BS_TYPEMASK) <= BS_DEFPUSHBUTTON) {
      SendMessageW(focus, BM_CLICK, 0, 0);
      return false;
    }
  }
  if (ours && IsDialogMessageW(root, &msg)) return false;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return false;
}

bool TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (ProcessMessage(msg)) return true;
  }
  return false;
}

bool TApplication::Idle() {
  bool done = true;
  // Copied: a handler may add or remove handlers.
  const auto handlers = idle_handlers_;
  for (const auto& [id, handler] : handlers) {
    RunHandler([&] {
      if (!handler()) done = false;
    });
  }
  return done;
}

void TApplication::Run() {
  terminated_ = false;
  for (;;) {
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (ProcessMessage(msg)) break;
    } else if (Idle() && !CheckSynchronize()) {
      // Wakes for a message or for calls a worker queued.
      const HANDLE calls = SynchronizeEvent();
      MsgWaitForMultipleObjectsEx(1, &calls, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
  }
}

int TApplication::AddIdleHandler(IdleHandler handler) {
  idle_handlers_.emplace_back(next_idle_id_, std::move(handler));
  return next_idle_id_++;
}

void TApplication::RemoveIdleHandler(int id) {
  idle_handlers_.erase(std::remove_if(idle_handlers_.begin(), idle_handlers_.end(),
                                      [id](const auto& entry) { return entry.first == id; }),
                       idle_handlers_.end());
}

void TApplication::HandleException(std::exception_ptr error) {
  if (const HWND capture = GetCapture()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
  try {
    std::rethrow_exception(error);
  } catch (const EAbort&) {
  } catch (const std::exception& e) {
    ShowException(ExceptionMessage(e));
  } catch (...) {
    ShowException(L"Unknown exception");
  }
}

namespace {

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM context) {
  auto& windows = *reinterpret_cast<std::vector<HWND>*>(context);
  if (IsWindowVisible(window) && IsWindowEnabled(window)) windows.push_back(window);
  return TRUE;
}

}  // namespace

void TApplication::ShowException(const std::wstring& message) {
  const HWND focus = GetFocus();
  std::vector<HWND> disabled;
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&disabled));
  disabled.erase(std::remove(disabled.begin(), disabled.end(), handle_), disabled.end());
  for (HWND window : disabled) EnableWindow(window, FALSE);
  MessageBoxW(handle_, WithFullStop(message).c_str(), title_.c_str(), MB_OK | MB_ICONSTOP);
  for (HWND window : disabled) EnableWindow(window, TRUE);
  if (focus && IsWindow(focus)) SetFocus(focus);
}

TApplicationEvents::TApplicationEvents() {
  if (Application) id_ = Application->AddIdleHandler([this] { return OnIdle ? OnIdle() : true; });
}

TApplicationEvents::~TApplicationEvents() {
  if (Application && id_) Application->RemoveIdleHandler(id_);
}

TComApartment::TComApartment()
    : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

TComApartment::~TComApartment() {
  if (initialized_) CoUninitialize();
}

}  // namespace framework
