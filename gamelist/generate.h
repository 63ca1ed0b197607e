#pragma once
// The steps of Execute that build and save the game list, shared by the
// window and gamelist-cli.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gamelist/entry.h"
#include "gamelist/xml_document.h"

namespace gamelist {

inline constexpr char kDefaultEncoding[] = "GB2312";

// Activates `document`, declares version "1.0" and `encoding`, turns on
// auto-indent, adds <gameList> with one <game> per line, and saves it to
// `output_path`. The document stays active on success (the window releases
// it after its message). On failure it is released before the exception
// propagates, so the next run starts from an empty document.
void GenerateGamelist(TXMLDocument& document, std::span<const std::string_view> lines, const std::string& encoding,
                      const std::string& output_path);
void GenerateGamelist(TXMLDocument& document, const std::vector<std::string>& lines, const std::string& encoding,
                      const std::string& output_path);

// The same a line at a time, for a caller that reads its lines as it goes:
// construction does the steps before the first line, AddGame adds one,
// Save saves. A builder that goes without a successful Save (a step or the
// caller failed) releases the document.
class GamelistBuilder {
 public:
  GamelistBuilder(TXMLDocument& document, const std::string& encoding);
  GamelistBuilder(const GamelistBuilder&) = delete;
  GamelistBuilder& operator=(const GamelistBuilder&) = delete;
  ~GamelistBuilder();

  void AddGame(std::string_view line);
  void Save(const std::string& output_path);
  std::size_t Games() const { return games_; }

 private:
  TXMLDocument& document_;
  std::optional<XmlNode> root_;
  GameEntry entry_;  // reused: its strings keep their buffers from line to line
  std::size_t games_ = 0;
  bool saved_ = false;
};

}  // namespace gamelist
