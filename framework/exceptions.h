#pragma once
// The exceptions the framework knows by kind, and turning any exception into
// the text the user is shown.
#include <exception>
#include <stdexcept>
#include <string>

namespace framework {

// The silent abort: it ends a handler and is dropped without a message.
class EAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

[[noreturn]] inline void Abort() { throw EAbort(); }

// A failure whose message is wide text (what() gives it as UTF-8).
class EWin32Error : public std::runtime_error {
 public:
  explicit EWin32Error(const std::wstring& message);
  const std::wstring& Message() const { return message_; }

 private:
  std::wstring message_;
};

std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

// The message of an exception as wide text (UTF-8 what() converted).
std::wstring ExceptionMessage(const std::exception& error);

// The system's text for a Win32 error code, without the trailing line break.
std::wstring SystemErrorMessage(unsigned long code);

// Raises EWin32Error with the system's text for GetLastError().
[[noreturn]] void RaiseLastOSError();

}  // namespace framework
