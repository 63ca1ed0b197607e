#include <dirent.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "gamelist/rom_folder.h"
#include "gamelist/text.h"

namespace gamelist {

namespace {

class DirHandle {
 public:
  explicit DirHandle(DIR* dir) : dir_(dir) {}
  ~DirHandle() {
    if (dir_) closedir(dir_);
  }
  DirHandle(const DirHandle&) = delete;
  DirHandle& operator=(const DirHandle&) = delete;
  DIR* Get() const { return dir_; }

 private:
  DIR* dir_;
};

bool Refuse(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

// Wine keeps the hidden and system flags it was given in this attribute, in
// the form "0x...".
std::uint32_t StoredDosAttributes(const std::string& path) {
  char buffer[32];
  const ssize_t n = getxattr(path.c_str(), "user.DOSATTRIB", buffer, sizeof buffer - 1);
  if (n <= 0) return 0;
  buffer[n] = '\0';
  return static_cast<std::uint32_t>(std::strtoul(buffer, nullptr, 16)) & (kAttrHidden | kAttrSystem);
}

// The attribute word Wine reports for the entry, or false when Wine would
// not list it at all (a symbolic link that leads nowhere).
bool WineAttributes(const std::string& path, const std::string& name, std::uint32_t& attributes) {
  struct stat link_st;
  struct stat st;
  if (lstat(path.c_str(), &link_st) != 0 || stat(path.c_str(), &st) != 0) return false;
  attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
  // Wine marks only a link to a folder as a reparse point.
  if (S_ISLNK(link_st.st_mode) && S_ISDIR(st.st_mode)) attributes |= kAttrReparsePoint;
  if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) attributes |= kAttrReadOnly;
  if (name.starts_with('.') && name != "." && name != "..") attributes |= kAttrHidden;
  attributes |= StoredDosAttributes(path);
  return true;
}

}  // namespace

bool EnumerateFolder(const std::string& folder, const std::function<void(const FolderEntry&)>& each,
                     std::string* error) {
  if (folder.empty()) return Refuse(error, "no folder given");
  struct stat st;
  if (stat(folder.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
    return Refuse(error, "\"" + folder + "\" is not a folder");
  DirHandle dir(opendir(folder.c_str()));
  if (!dir.Get()) return Refuse(error, "cannot list \"" + folder + "\": " + std::strerror(errno));
  const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
  while (const dirent* entry = readdir(dir.Get())) {
    const std::string name = entry->d_name;
    if (!IsValidUtf8(name))
      return Refuse(error, "the name \"" + EscapeForMessage(name) + "\" in \"" + folder + "\" is not valid UTF-8");
    FolderEntry found{name, 0};
    if (WineAttributes(prefix + name, name, found.attributes)) each(found);
  }
  return true;
}

}  // namespace gamelist
