#include "gamelist/file_replace.h"

namespace gamelist {

void ReplaceFileContents(const std::string& path, std::string_view bytes) {
  FileReplacement file(path);
  file.Write(bytes);
  file.Commit();
}

}  // namespace gamelist
