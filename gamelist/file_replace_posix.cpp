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

// Removes the temporary file unless it was renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& folder) : path_(folder + "/.gamelist-XXXXXX") {
    fd_ = mkstemp(path_.data());
    if (fd_ < 0) path_.clear();
  }
  ~TemporaryFile() {
    if (fd_ >= 0) close(fd_);
    if (!path_.empty()) unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool Created() const { return fd_ >= 0; }
  int Fd() const { return fd_; }
  const std::string& Path() const { return path_; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }
  void Kept() { path_.clear(); }

 private:
  std::string path_;
  int fd_ = -1;
};

mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

void ReplaceFileContents(const std::string& path, std::string_view bytes) {
  const std::string target = ResolveLinks(path);
  mode_t mode = NewFileMode();
  struct stat st;
  if (stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) Fail(path, "it is a folder");
    if (!(st.st_mode & S_IWUSR)) Fail(path, "the file is read-only");
    mode = st.st_mode & 07777;
  }

  TemporaryFile temp(Folder(target));
  if (!temp.Created()) Fail(path, std::strerror(errno));
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = write(temp.Fd(), bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(path, std::strerror(errno));
    }
    done += static_cast<std::size_t>(n);
  }
  if (fchmod(temp.Fd(), mode) != 0 || fsync(temp.Fd()) != 0) Fail(path, std::strerror(errno));
  if (!temp.Close()) Fail(path, std::strerror(errno));
  if (rename(temp.Path().c_str(), target.c_str()) != 0) Fail(path, std::strerror(errno));
  temp.Kept();
}

}  // namespace gamelist
