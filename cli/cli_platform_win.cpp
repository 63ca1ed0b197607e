#include <windows.h>

#include <io.h>

#include "cli/cli.h"
#include "cli/cli_platform.h"
#include "gamelist/platform_win.h"

namespace gamelist_cli {

namespace {

std::wstring FullPath(const std::wstring& path) {
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return {};
  std::wstring full(needed, L'\0');
  full.resize(GetFullPathNameW(path.c_str(), needed, full.data(), nullptr));
  return full;
}

}  // namespace

bool IsSameFile(const std::string& output, const std::string& folder, const std::string& name) {
  const std::wstring a = FullPath(gamelist::WidePath(output));
  const std::wstring b = FullPath(gamelist::WidePath(folder) + L"\\" + gamelist::WidePath(name));
  return !a.empty() && CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                            static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::string DefaultOutput(const std::string& folder) {
  return folder.ends_with('\\') || folder.ends_with('/') ? folder + "gamelist.xml" : folder + "\\gamelist.xml";
}

void WriteText(std::FILE* stream, const std::string& text) {
  const HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode;
  if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
    const std::wstring wide = gamelist::WidePath(text);
    DWORD written;
    WriteConsoleW(handle, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

}  // namespace gamelist_cli

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(gamelist::NarrowPath(argv[i]));
  return gamelist_cli::Run(args);
}
