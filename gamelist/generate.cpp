#include "gamelist/generate.h"

#include "gamelist/entry.h"

namespace gamelist {

namespace {

template <typename Line>
void Generate(TXMLDocument& document, std::span<const Line> lines, const std::string& encoding,
              const std::string& output_path) {
  try {
    document.SetActive(true);
    document.SetVersion("1.0");
    document.SetEncoding(encoding);
    TXMLDocOptions options = document.Options();
    options.Include(doNodeAutoIndent);
    document.SetOptions(options);
    document.AddChild("gameList");
    GameEntry entry;
    const std::size_t count = lines.size();
    for (std::size_t i = 0; i < count; ++i) {
      DeriveGameEntry(lines[i], entry);
      const XmlNode game = document.AppendChild(*document.DocumentElement(), "game");
      document.SetText(document.AppendChild(game, "path"), entry.path);
      document.SetText(document.AppendChild(game, "name"), entry.name);
      document.SetText(document.AppendChild(game, "image"), entry.image);
      document.SetText(document.AppendChild(game, "video"), entry.video);
    }
    document.SaveToFile(output_path);
  } catch (...) {
    document.SetActive(false);
    throw;
  }
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
