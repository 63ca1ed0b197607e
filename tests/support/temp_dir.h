#pragma once
// A fresh folder per test, removed afterwards, and small file helpers. Paths
// are UTF-8. Under Wine the folder lies in the Linux temp folder (Z:).
#include <filesystem>
#include <string>
#include <vector>

namespace test_support {

std::filesystem::path FsPath(const std::string& utf8);
std::string Utf8Path(const std::filesystem::path& path);

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // The child `name`, joined with the platform's separator.
  std::string Join(const std::string& name) const;

 private:
  std::string path_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
void MakeFolder(const std::string& path);
// Names in `folder`, sorted, without the dot entries.
std::vector<std::string> FolderNames(const std::string& folder);

}  // namespace test_support
