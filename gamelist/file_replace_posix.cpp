#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "gamelist/error.h"
#include "gamelist/file_replace.h"

namespace gamelist {

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& cause) {
  throw GamelistError("cannot write \"" + path + "\": " + cause);
}

std::string Folder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows symbolic links (even a dangling last one) to the file they name.
std::string ResolveLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    const ssize_t n = readlink(path.c_str(), target.data(), target.size());
    if (n < 0) return path;
    std::string next(target.data(), static_cast<std::size_t>(n));
    path = next.starts_with('/') ? next : Folder(path) + "/" + next;
  }
  Fail(path, "too many levels of symbolic links");
}

mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

struct FileReplacement::Platform {
  std::string target;  // the file the links lead to
  mode_t mode = 0;
  std::string temp_path;  // empty once renamed into place
  int fd = -1;

  Platform() = default;
  Platform(const Platform&) = delete;
  Platform& operator=(const Platform&) = delete;
  ~Platform() {
    if (fd >= 0) close(fd);
    if (!temp_path.empty()) unlink(temp_path.c_str());
  }
};

FileReplacement::FileReplacement(const std::string& path) : path_(path), platform_(std::make_unique<Platform>()) {
  Platform& p = *platform_;
  p.target = ResolveLinks(path);
  p.mode = NewFileMode();
  struct stat st;
  if (stat(p.target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) Fail(path, "it is a folder");
    if (!(st.st_mode & S_IWUSR)) Fail(path, "the file is read-only");
    p.mode = st.st_mode & 07777;
  }
  std::string temp = Folder(p.target) + "/.gamelist-XXXXXX";
  p.fd = mkstemp(temp.data());
  if (p.fd < 0) Fail(path, std::strerror(errno));
  p.temp_path = std::move(temp);
}

FileReplacement::~FileReplacement() = default;

void FileReplacement::Write(std::string_view bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = write(platform_->fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(path_, std::strerror(errno));
    }
    done += static_cast<std::size_t>(n);
  }
}

void FileReplacement::Commit() {
  Platform& p = *platform_;
  if (fchmod(p.fd, p.mode) != 0 || fsync(p.fd) != 0) Fail(path_, std::strerror(errno));
  const int fd = p.fd;
  p.fd = -1;
  if (close(fd) != 0) Fail(path_, std::strerror(errno));
  if (rename(p.temp_path.c_str(), p.target.c_str()) != 0) Fail(path_, std::strerror(errno));
  p.temp_path.clear();
}

}  // namespace gamelist
