#include "gamelist/rom_folder.h"

namespace gamelist {

bool IsRomEntry(const FolderEntry& entry) {
  return entry.name != "." && entry.name != ".." && entry.attributes != kAttrDirectory;
}

bool ListRomFolder(const std::string& folder, const std::function<void(const std::string&)>& add,
                   std::string* error) {
  return EnumerateFolder(
      folder,
      [&](const FolderEntry& entry) {
        if (IsRomEntry(entry)) add(entry.name);
      },
      error);
}

}  // namespace gamelist
