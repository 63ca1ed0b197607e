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
  void Reset(HANDLE handle) {
    Close();
    handle_ = handle;
  }
  bool Close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle == INVALID_HANDLE_VALUE || CloseHandle(handle);
  }

 private:
  HANDLE handle_;
};

}  // namespace

// Windows and Wine alike refuse to delete a file that is still open, so the
// handle closes before the temporary file is deleted.
struct FileReplacement::Platform {
  std::wstring target;
  bool exists = false;
  std::wstring temp_path;  // empty once it took the target's place
  FileHandle file{INVALID_HANDLE_VALUE};

  Platform() = default;
  Platform(const Platform&) = delete;
  Platform& operator=(const Platform&) = delete;
  ~Platform() {
    file.Close();
    if (!temp_path.empty()) DeleteFileW(temp_path.c_str());
  }
};

FileReplacement::FileReplacement(const std::string& path) : path_(path), platform_(std::make_unique<Platform>()) {
  Platform& p = *platform_;
  const std::wstring requested = WidePath(path);
  const DWORD needed = GetFullPathNameW(requested.c_str(), 0, nullptr, nullptr);
  if (needed == 0) FailLastError(path);
  p.target.assign(needed, L'\0');
  p.target.resize(GetFullPathNameW(requested.c_str(), needed, p.target.data(), nullptr));
  const std::size_t separator = p.target.find_last_of(L"\\/");
  if (separator == std::wstring::npos) Fail(path, "it names no folder");
  const std::wstring folder = p.target.substr(0, separator + 1);

  const DWORD attributes = GetFileAttributesW(p.target.c_str());
  p.exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (p.exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) Fail(path, "it is a folder");
  // ReplaceFileW would refuse it on Windows only after the temporary file is
  // written, and Wine's MoveFileExW replaces it anyway.
  if (p.exists && (attributes & FILE_ATTRIBUTE_READONLY)) Fail(path, "the file is read-only");

  wchar_t temp_name[MAX_PATH + 1];
  if (!GetTempFileNameW(folder.c_str(), L"gl~", 0, temp_name)) FailLastError(path);
  p.temp_path = temp_name;
  p.file.Reset(CreateFileW(p.temp_path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!p.file.Valid()) FailLastError(path);
}

FileReplacement::~FileReplacement() = default;

void FileReplacement::Write(std::string_view bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(platform_->file.Get(), bytes.data() + done, chunk, &written, nullptr)) FailLastError(path_);
    done += written;
  }
}

void FileReplacement::Commit() {
  Platform& p = *platform_;
  if (!FlushFileBuffers(p.file.Get())) FailLastError(path_);
  if (!p.file.Close()) FailLastError(path_);
  const BOOL replaced =
      p.exists ? ReplaceFileW(p.target.c_str(), p.temp_path.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                              nullptr, nullptr)
               : MoveFileExW(p.temp_path.c_str(), p.target.c_str(), MOVEFILE_WRITE_THROUGH);
  if (!replaced) FailLastError(path_);
  p.temp_path.clear();
}

}  // namespace gamelist
