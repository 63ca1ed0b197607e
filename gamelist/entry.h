#pragma once
// The four texts of one game, derived from one list line (a ROM file name).
#include <string>
#include <string_view>

namespace gamelist {

struct GameEntry {
  std::string path;   // "./" + line
  std::string name;   // line with every ".zip" removed
  std::string image;  // "./images/" + line with every ".zip" replaced by ".png"
  std::string video;  // "./videos/" + line with every ".zip" replaced by ".mp4"
};

// Replaces every non-overlapping, exact-case occurrence of ".zip", scanning
// from the left. UTF-8 never starts a match inside a multi-byte character,
// since "." is never a continuation byte.
std::string ReplaceZip(std::string_view line, std::string_view replacement);

GameEntry DeriveGameEntry(std::string_view line);
// The same into `entry`, whose strings keep their buffers: deriving a long
// list into one entry allocates only for the longest lines.
void DeriveGameEntry(std::string_view line, GameEntry& entry);

}  // namespace gamelist
