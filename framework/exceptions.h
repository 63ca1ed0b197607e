#pragma once
// The silent abort, and turning any exception into the text the user is
// shown. The program's other exceptions live in system_error.h.
#include <exception>
#include <string>

#include "framework/system_error.h"

namespace framework {

// The silent abort: it ends a handler and is dropped without a message.
class EAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

[[noreturn]] inline void Abort() { throw EAbort(); }

std::wstring Utf8ToWide(const std::string& text);

// The message of an exception as wide text: Exception's own, any other's
// what() read as UTF-8.
std::wstring ExceptionMessage(const std::exception& error);

}  // namespace framework
