#include "cli/cli.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "cli/cli_platform.h"
#include "gamelist/error.h"
#include "gamelist/generate.h"
#include "gamelist/list_file.h"
#include "gamelist/rom_folder.h"
#include "gamelist/text.h"

namespace gamelist_cli {

namespace {

constexpr char kUsage[] =
    "usage: gamelist-cli [--encoding gb2312|utf-8] [--out FILE] FOLDER\n"
    "       gamelist-cli [--encoding gb2312|utf-8] --out FILE --from-list LIST\n"
    "       gamelist-cli --help\n"
    "\n"
    "Writes gamelist.xml for a folder of ROM files, as the window does.\n"
    "\n"
    "  FOLDER            list FOLDER's entries (plain subfolders left out), sorted by name;\n"
    "                    FILE defaults to FOLDER/gamelist.xml, which is itself left out\n"
    "  --from-list LIST  use the lines of LIST (UTF-8, one name per line) in order\n"
    "  --out FILE        write FILE\n"
    "  --encoding ENC    gb2312 (the default) or utf-8\n";

struct Options {
  std::string encoding = gamelist::kDefaultEncoding;
  std::optional<std::string> out;
  std::optional<std::string> list;
  std::optional<std::string> folder;
};

class UsageError {};

Options Parse(const std::vector<std::string>& args) {
  Options options;
  bool encoding_given = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError();
      return args[++i];
    };
    if (arg == "--encoding") {
      if (encoding_given) throw UsageError();
      encoding_given = true;
      std::string name = value();
      std::transform(name.begin(), name.end(), name.begin(),
                     [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
      if (name == "gb2312") {
        options.encoding = "GB2312";
      } else if (name == "utf-8") {
        options.encoding = "UTF-8";
      } else {
        throw UsageError();
      }
    } else if (arg == "--out") {
      if (options.out) throw UsageError();
      options.out = value();
    } else if (arg == "--from-list") {
      if (options.list) throw UsageError();
      options.list = value();
    } else if (arg.starts_with("-") && arg != "-") {
      throw UsageError();
    } else {
      if (options.folder) throw UsageError();
      options.folder = arg;
    }
  }
  const bool list_mode = options.list && options.out && !options.folder;
  const bool folder_mode = options.folder && !options.list;
  if (!list_mode && !folder_mode) throw UsageError();
  if ((options.folder && options.folder->empty()) || (options.out && options.out->empty())) throw UsageError();
  return options;
}

// Windows listings order names by their UTF-16 code units with "a"-"z" taken
// as "A"-"Z" (so "_x" follows "b"); names equal that way by their own units.
void SortNames(std::vector<std::string>& names) {
  std::vector<std::pair<std::u16string, std::string>> keyed;
  keyed.reserve(names.size());
  for (std::string& name : names) keyed.emplace_back(gamelist::Utf8ToUtf16(name), std::move(name));
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    const std::u16string& x = a.first;
    const std::u16string& y = b.first;
    const bool less_folded = std::lexicographical_compare(
        x.begin(), x.end(), y.begin(), y.end(),
        [](char16_t p, char16_t q) { return gamelist::AsciiUpper(p) < gamelist::AsciiUpper(q); });
    if (less_folded) return true;
    const bool greater_folded = std::lexicographical_compare(
        y.begin(), y.end(), x.begin(), x.end(),
        [](char16_t p, char16_t q) { return gamelist::AsciiUpper(p) < gamelist::AsciiUpper(q); });
    return !greater_folded && x < y;
  });
  names.clear();
  for (auto& [key, name] : keyed) names.push_back(std::move(name));
}

std::vector<std::string> FolderLines(const std::string& folder, const std::string& output) {
  std::vector<std::string> names;
  std::string error;
  const bool listed = gamelist::ListRomFolder(
      folder,
      [&](const std::string& name) {
        if (!IsSameFile(output, folder, name)) names.push_back(name);
      },
      &error);
  if (!listed) throw gamelist::GamelistError(error);
  SortNames(names);
  return names;
}

// LIST mode: the lines go into the document as they are read, so the list
// itself never has to be held whole. Answers the number of games.
std::size_t GenerateFromList(const std::string& list, gamelist::TXMLDocument& document, const std::string& encoding,
                             const std::string& output) {
  const std::filesystem::path path(std::u8string(list.begin(), list.end()));
  std::error_code code;
  if (!std::filesystem::is_regular_file(path, code))
    throw gamelist::GamelistError("cannot read the list \"" + list + "\": it is not an existing file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw gamelist::GamelistError("cannot read the list \"" + list + "\"");
  gamelist::GamelistBuilder builder(document, encoding);
  const bool read = gamelist::ReadListLines(in, [&](std::string_view line, std::size_t number) {
    if (!gamelist::IsValidUtf8(line))
      throw gamelist::GamelistError("line " + std::to_string(number) + " of the list \"" + list +
                                    "\" is not valid UTF-8: \"" + gamelist::EscapeForMessage(line) + "\"");
    builder.AddGame(line);
  });
  if (!read) throw gamelist::GamelistError("cannot read the list \"" + list + "\"");
  builder.Save(output);
  return builder.Games();
}

}  // namespace

int Run(const std::vector<std::string>& args) {
  if (std::find(args.begin(), args.end(), "--help") != args.end()) {
    WriteText(stdout, kUsage);
    return 0;
  }
  Options options;
  try {
    options = Parse(args);
  } catch (const UsageError&) {
    WriteText(stderr, kUsage);
    return 2;
  }
  const std::string output = options.out ? *options.out : DefaultOutput(*options.folder);
  try {
    gamelist::TXMLDocument document;
    std::size_t games;
    if (options.list) {
      games = GenerateFromList(*options.list, document, options.encoding, output);
    } else {
      const std::vector<std::string> names = FolderLines(*options.folder, output);
      gamelist::GenerateGamelist(document, names, options.encoding, output);
      games = names.size();
    }
    document.SetActive(false);
    WriteText(stdout, "wrote " + output + " (" + std::to_string(games) + " games)\n");
    return 0;
  } catch (const gamelist::GamelistError& error) {
    WriteText(stderr, std::string("gamelist-cli: ") + error.what() + "\n");
    return 1;
  }
}

}  // namespace gamelist_cli
