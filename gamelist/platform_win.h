#pragma once
// Helpers shared by the Windows sources of the portable core (Windows only).
#include <string>

namespace gamelist {

std::wstring WidePath(const std::string& utf8);
std::string NarrowPath(const std::wstring& wide);
// The system's text for a Win32 error code, without the trailing line break.
std::string SystemMessage(unsigned long code);

}  // namespace gamelist
