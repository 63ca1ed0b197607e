#include <windows.h>

#include "gamelist/platform_win.h"
#include "gamelist/rom_folder.h"

namespace gamelist {

namespace {

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

bool Refuse(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

}  // namespace

bool EnumerateFolder(const std::string& folder, const std::function<void(const FolderEntry&)>& each,
                     std::string* error) {
  // Without a folder the pattern "\*.*" would list the current drive's root.
  if (folder.empty()) return Refuse(error, "no folder given");
  const std::wstring wide_folder = WidePath(folder);
  const std::wstring pattern = wide_folder + L"\\*.*";
  WIN32_FIND_DATAW data;
  FindHandle find(FindFirstFileW(pattern.c_str(), &data));
  if (!find.Valid()) {
    const DWORD code = GetLastError();
    const DWORD attributes = GetFileAttributesW(wide_folder.c_str());
    // A drive root holds no dot entries, so an empty one matches nothing.
    if (code == ERROR_FILE_NOT_FOUND && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
      return true;
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
      return Refuse(error, "\"" + folder + "\" is not a folder");
    return Refuse(error, "cannot list \"" + folder + "\": " + SystemMessage(code));
  }
  do {
    each(FolderEntry{NarrowPath(data.cFileName), data.dwFileAttributes});
  } while (FindNextFileW(find.Get(), &data));
  return true;
}

}  // namespace gamelist
