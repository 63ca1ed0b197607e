#include "tests/support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <algorithm>

namespace test_support {

namespace fs = std::filesystem;

fs::path FsPath(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string Utf8Path(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

namespace {

fs::path BaseFolder() {
#ifdef _WIN32
  // Wine maps the Linux root to Z:, so the tests' files lie in Linux's /tmp.
  std::error_code code;
  if (fs::is_directory("Z:\\tmp", code)) return "Z:\\tmp";
#endif
  return fs::temp_directory_path();
}

}  // namespace

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate =
        BaseFolder() / ("gamelist-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    if (fs::create_directory(candidate)) {
      path_ = Utf8Path(candidate);
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code code;
  const fs::path root = FsPath(path_);
  // Read-only entries would stop the removal on Windows.
  for (auto it = fs::recursive_directory_iterator(root, code); !code && it != fs::recursive_directory_iterator();
       it.increment(code)) {
    fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add | fs::perm_options::nofollow, code);
  }
  fs::remove_all(root, code);
}

std::string TempDir::Join(const std::string& name) const { return Utf8Path(FsPath(path_) / FsPath(name)); }

std::string ReadBytes(const std::string& path) {
  std::ifstream in(FsPath(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void MakeFolder(const std::string& path) { fs::create_directory(FsPath(path)); }

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(FsPath(folder))) names.push_back(Utf8Path(entry.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace test_support
