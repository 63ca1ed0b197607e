#include "framework/system_error.h"

#include <cwchar>

namespace framework {

std::string WideToUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(length > 0 ? length : 0), '\0');
  if (length > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length, nullptr,
                        nullptr);
  return result;
}

Exception::Exception(std::wstring message) : message_(std::move(message)), utf8_(WideToUtf8(message_)) {}

ESystemError::ESystemError(HRESULT code) : ESystemError(code, SystemErrorText(code)) {}

ESystemError::ESystemError(HRESULT code, std::wstring message) : Exception(std::move(message)), code_(code) {}

std::wstring SystemErrorText(HRESULT code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length ? std::wstring(buffer, length) : std::wstring();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  if (text.empty()) {
    wchar_t fallback[40];
    std::swprintf(fallback, 40, L"System error 0x%08lX", static_cast<unsigned long>(code));
    text = fallback;
  }
  return text;
}

void RaiseSystemError(HRESULT code) { throw ESystemError(code); }

void RaiseLastOSError() {
  const DWORD error = GetLastError();
  RaiseSystemError(error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error));
}

}  // namespace framework
