#include <windows.h>

#include <algorithm>

#include "gamelist/error.h"
#include "gamelist/file_replace.h"
#include "gamelist/platform_win.h"

namespace gamelist {

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& cause) {
  throw GamelistError("cannot write \"" + path + "\": " + cause);
}

[[noreturn]] void FailLastError(const std::string& path) { Fail(path, SystemMessage(GetLastError())); }

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  bool Close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle == INVALID_HANDLE_VALUE || CloseHandle(handle);
  }

 private:
  HANDLE handle_;
};

// Deletes the temporary file unless it took the target's place.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    if (!path_.empty()) DeleteFileW(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::wstring& Path() const { return path_; }
  void Kept() { path_.clear(); }

 private:
  std::wstring path_;
};

}  // namespace

void ReplaceFileContents(const std::string& path, std::string_view bytes) {
  const std::wstring requested = WidePath(path);
  const DWORD needed = GetFullPathNameW(requested.c_str(), 0, nullptr, nullptr);
  if (needed == 0) FailLastError(path);
  std::wstring target(needed, L'\0');
  target.resize(GetFullPathNameW(requested.c_str(), needed, target.data(), nullptr));
  const std::size_t separator = target.find_last_of(L"\\/");
  if (separator == std::wstring::npos) Fail(path, "it names no folder");
  const std::wstring folder = target.substr(0, separator + 1);

  const DWORD attributes = GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) Fail(path, "it is a folder");
  // ReplaceFileW would refuse it on Windows only after the temporary file is
  // written, and Wine's MoveFileExW replaces it anyway.
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) Fail(path, "the file is read-only");

  wchar_t temp_name[MAX_PATH + 1];
  if (!GetTempFileNameW(folder.c_str(), L"gl~", 0, temp_name)) FailLastError(path);
  TemporaryFile temp(temp_name);
  {
    FileHandle file(CreateFileW(temp.Path().c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) FailLastError(path);
    for (std::size_t done = 0; done < bytes.size();) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
      DWORD written = 0;
      if (!WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr)) FailLastError(path);
      done += written;
    }
    if (!FlushFileBuffers(file.Get())) FailLastError(path);
    if (!file.Close()) FailLastError(path);
  }
  const BOOL replaced =
      exists ? ReplaceFileW(target.c_str(), temp.Path().c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                            nullptr)
             : MoveFileExW(temp.Path().c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
  if (!replaced) FailLastError(path);
  temp.Kept();
}

}  // namespace gamelist
