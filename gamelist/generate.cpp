#include "gamelist/generate.h"

namespace gamelist {

GamelistBuilder::GamelistBuilder(TXMLDocument& document, const std::string& encoding) : document_(document) {
  try {
    document.SetActive(true);
    document.SetVersion("1.0");
    document.SetEncoding(encoding);
    TXMLDocOptions options = document.Options();
    options.Include(doNodeAutoIndent);
    document.SetOptions(options);
    root_ = document.AddChild("gameList");
  } catch (...) {
    document.SetActive(false);
    throw;
  }
}

GamelistBuilder::~GamelistBuilder() {
  if (!saved_) document_.SetActive(false);
}

void GamelistBuilder::AddGame(std::string_view line) {
  DeriveGameEntry(line, entry_);
  const XmlNode game = document_.AppendChild(*root_, "game");
  document_.SetText(document_.AppendChild(game, "path"), entry_.path);
  document_.SetText(document_.AppendChild(game, "name"), entry_.name);
  document_.SetText(document_.AppendChild(game, "image"), entry_.image);
  document_.SetText(document_.AppendChild(game, "video"), entry_.video);
  ++games_;
}

void GamelistBuilder::Save(const std::string& output_path) {
  document_.SaveToFile(output_path);
  saved_ = true;
}

namespace {

template <typename Line>
void Generate(TXMLDocument& document, std::span<const Line> lines, const std::string& encoding,
              const std::string& output_path) {
  GamelistBuilder builder(document, encoding);
  for (const Line& line : lines) builder.AddGame(line);
  builder.Save(output_path);
}

}  // namespace

void GenerateGamelist(TXMLDocument& document, std::span<const std::string_view> lines, const std::string& encoding,
                      const std::string& output_path) {
  Generate(document, lines, encoding, output_path);
}

void GenerateGamelist(TXMLDocument& document, const std::vector<std::string>& lines, const std::string& encoding,
                      const std::string& output_path) {
  Generate(document, std::span<const std::string>(lines), encoding, output_path);
}

}  // namespace gamelist
