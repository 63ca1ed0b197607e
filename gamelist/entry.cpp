#include "gamelist/entry.h"

namespace gamelist {

namespace {

void AppendReplacingZip(std::string& out, std::string_view line, std::string_view replacement) {
  static constexpr std::string_view kZip = ".zip";
  std::size_t from = 0;
  for (std::size_t at; (at = line.find(kZip, from)) != std::string_view::npos; from = at + kZip.size()) {
    out.append(line.substr(from, at - from));
    out.append(replacement);
  }
  out.append(line.substr(from));
}

}  // namespace

std::string ReplaceZip(std::string_view line, std::string_view replacement) {
  std::string out;
  out.reserve(line.size());
  AppendReplacingZip(out, line, replacement);
  return out;
}

GameEntry DeriveGameEntry(std::string_view line) {
  GameEntry entry;
  DeriveGameEntry(line, entry);
  return entry;
}

void DeriveGameEntry(std::string_view line, GameEntry& entry) {
  entry.path.assign("./").append(line);
  entry.name.clear();
  AppendReplacingZip(entry.name, line, "");
  entry.image.assign("./images/");
  AppendReplacingZip(entry.image, line, ".png");
  entry.video.assign("./videos/");
  AppendReplacingZip(entry.video, line, ".mp4");
}

}  // namespace gamelist
