#pragma once
// Replacing a file in one step: the bytes go to a temporary file in the
// target's folder, are flushed, and the temporary file then takes the
// target's place. On any failure the temporary file is removed and an
// existing target stays byte for byte as it was.
#include <string>
#include <string_view>

namespace gamelist {

// `path` is UTF-8. Throws GamelistError naming the path and the cause; a
// read-only target or one that is a folder is refused before anything is
// written. A symbolic link is written through to its target (Linux).
void ReplaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace gamelist
