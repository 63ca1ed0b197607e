#include "gamelist/generate.h"

#include "gamelist/entry.h"

namespace gamelist {

void GenerateGamelist(TXMLDocument& document, std::span<const std::string_view> lines, const std::string& encoding,
                      const std::string& output_path) {
  try {
    document.SetActive(true);
    document.SetVersion("1.0");
    document.SetEncoding(encoding);
    TXMLDocOptions options = document.Options();
    options.Include(doNodeAutoIndent);
    document.SetOptions(options);
    document.AddChild("gameList");
    const std::size_t count = lines.size();
    for (std::size_t i = 0; i < count; ++i) {
      const GameEntry entry = DeriveGameEntry(lines[i]);
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

void GenerateGamelist(TXMLDocument& document, const std::vector<std::string>& lines, const std::string& encoding,
                      const std::string& output_path) {
  const std::vector<std::string_view> views(lines.begin(), lines.end());
  GenerateGamelist(document, views, encoding, output_path);
}

}  // namespace gamelist
