#pragma once
// The program's exceptions and the one helper that turns a failed HRESULT or
// Win32 error into an exception carrying the system's message text.
//
// Messages are wide (the window shows them as they are); what() gives the
// same text in UTF-8 so any handler of std::exception can show it too.
#include <windows.h>

#include <exception>
#include <string>

namespace framework {

class Exception : public std::exception {
 public:
  explicit Exception(std::wstring message);
  const std::wstring& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  std::wstring message_;
  std::string utf8_;
};

// A platform call failed: the failure code and the system's text for it.
class ESystemError : public Exception {
 public:
  explicit ESystemError(HRESULT code);
  ESystemError(HRESULT code, std::wstring message);
  HRESULT Code() const noexcept { return code_; }

 private:
  HRESULT code_;
};

// The system's text for `code` (an HRESULT; a Win32 error passed through
// HRESULT_FROM_WIN32 reads the same), without the trailing line break.
std::wstring SystemErrorText(HRESULT code);

[[noreturn]] void RaiseSystemError(HRESULT code);
inline void CheckHResult(HRESULT code) {
  if (FAILED(code)) RaiseSystemError(code);
}
// Raises the calling thread's last Win32 error.
[[noreturn]] void RaiseLastOSError();

std::string WideToUtf8(const std::wstring& text);

}  // namespace framework
