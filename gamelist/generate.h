#pragma once
// The steps of Execute that build and save the game list, shared by the
// window and gamelist-cli.
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

}  // namespace gamelist
