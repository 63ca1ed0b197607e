#include "gamelist/entry.h"

namespace gamelist {

std::string ReplaceZip(std::string_view line, std::string_view replacement) {
  static constexpr std::string_view kZip = ".zip";
  std::string out;
  out.reserve(line.size());
  std::size_t from = 0;
  for (std::size_t at; (at = line.find(kZip, from)) != std::string_view::npos; from = at + kZip.size()) {
    out.append(line.substr(from, at - from));
    out.append(replacement);
  }
  out.append(line.substr(from));
  return out;
}

GameEntry DeriveGameEntry(std::string_view line) {
  GameEntry entry;
  entry.path = "./";
  entry.path.append(line);
  entry.name = ReplaceZip(line, "");
  entry.image = "./images/" + ReplaceZip(line, ".png");
  entry.video = "./videos/" + ReplaceZip(line, ".mp4");
  return entry;
}

}  // namespace gamelist
