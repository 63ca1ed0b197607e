#pragma once
// The application object: the program's title, its hidden top-level window
// (owner of every other window and holder of the task-bar entry), the main
// icon, the message loop with its idle notification, and the default display
// of an exception that leaves a handler. Everything here runs on the main
// thread.
#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace framework {

// The running executable's full file name.
std::wstring ExecutablePath();

// The executable's file name without its folder, cut at its first "." when
// it has one, every character after the first lowered.
std::wstring ApplicationTitleFromPath(const std::wstring& executable_path);

// Appends "." to a non-empty message whose last character sorts after ".":
// a letter, a digit, a colon or a Chinese character get one; ".", "!", ")",
// a blank or a line break do not.
std::wstring WithFullStop(const std::wstring& message);

class TApplication {
 public:
  // Called while the queue is empty; return false to be called again before
  // the loop waits for the next message.
  using IdleHandler = std::function<bool()>;

  TApplication();
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  const std::wstring& Title() const { return title_; }
  HWND Handle() const { return handle_; }
  HICON Icon() const { return icon_; }

  // The first form registered becomes the main window: closing it ends Run.
  void RegisterForm(HWND form);
  void UnregisterForm(HWND form);
  HWND MainForm() const { return main_form_; }

  // Runs the message loop until it takes the quit request.
  void Run();
  // Asks the loop to end: posts the quit request.
  void Terminate();
  // True once the loop took the quit request.
  bool Terminated() const { return terminated_; }
  // Dispatches what is queued without waiting; true when WM_QUIT was seen.
  bool ProcessMessages();

  // Returns an id for RemoveIdleHandler.
  int AddIdleHandler(IdleHandler handler);
  void RemoveIdleHandler(int id);

  // The default display: cancels pointer capture, drops EAbort, otherwise
  // shows the message in a stop box owned by the hidden window with the other
  // windows disabled, then gives the focus back.
  void HandleException(std::exception_ptr error);
  void ShowException(const std::wstring& message);

 private:
  bool ProcessMessage(MSG& msg);
  bool Idle();

  std::wstring title_;
  HICON icon_ = nullptr;
  HWND handle_ = nullptr;
  HWND main_form_ = nullptr;
  std::vector<HWND> forms_;
  bool terminated_ = false;
  int next_idle_id_ = 1;
  std::vector<std::pair<int, IdleHandler>> idle_handlers_;
};

// The one application object of the process; null before it is created and
// after it is destroyed.
extern TApplication* Application;

// A subscription to the application's idle notification for as long as it
// lives. OnIdle answers whether it is done; false asks for another call
// before the loop waits for the next message.
class TApplicationEvents {
 public:
  TApplicationEvents();
  ~TApplicationEvents();
  TApplicationEvents(const TApplicationEvents&) = delete;
  TApplicationEvents& operator=(const TApplicationEvents&) = delete;

  std::function<bool()> OnIdle;

 private:
  int id_ = 0;
};

// Runs a handler; an exception that leaves it goes to the default display.
template <typename Handler>
void RunHandler(Handler&& handler) noexcept {
  try {
    handler();
  } catch (...) {
    if (Application) Application->HandleException(std::current_exception());
  }
}

// COM for the calling thread as a single-threaded apartment; uninitialised
// on destruction only if initialisation succeeded.
class TComApartment {
 public:
  TComApartment();
  ~TComApartment();
  TComApartment(const TComApartment&) = delete;
  TComApartment& operator=(const TComApartment&) = delete;
  bool Initialized() const { return initialized_; }

 private:
  bool initialized_;
};

}  // namespace framework
