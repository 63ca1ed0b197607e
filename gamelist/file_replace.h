#pragma once
// Replacing a file in one step: the bytes go to a temporary file in the
// target's folder, are flushed, and the temporary file then takes the
// target's place. On any failure the temporary file is removed and an
// existing target stays byte for byte as it was.
#include <memory>
#include <string>
#include <string_view>

namespace gamelist {

// One replacement, written piece by piece. Paths are UTF-8; failures throw
// GamelistError naming the path and the cause. A symbolic link is written
// through to its target (Linux).
class FileReplacement {
 public:
  // Refuses a read-only target or one that is a folder before anything is
  // written, then creates the temporary file.
  explicit FileReplacement(const std::string& path);
  // Removes the temporary file unless Commit succeeded.
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  void Write(std::string_view bytes);
  // Flushes the bytes to the disk, then puts the file in the target's place.
  void Commit();

 private:
  struct Platform;  // the temporary file and the resolved target
  std::string path_;
  std::unique_ptr<Platform> platform_;
};

// The whole file at once.
void ReplaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace gamelist
