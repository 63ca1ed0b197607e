#pragma once
// The list file gamelist-cli reads: one name per line, UTF-8, lines ending
// in LF or CR LF, an optional byte order mark, empty lines skipped. It is
// read a piece at a time, so memory holds one piece and the longest line
// however long the list is.
#include <cstddef>
#include <functional>
#include <istream>
#include <string_view>

namespace gamelist {

inline constexpr std::size_t kListPieceSize = 64 * 1024;

// Calls `on_line` with every non-empty line, without its line break, and its
// number counting every line from 1; the view lasts for the call. What
// `on_line` raises ends the reading. Answers false when `in` failed before
// its end.
bool ReadListLines(std::istream& in, const std::function<void(std::string_view line, std::size_t number)>& on_line,
                   std::size_t piece_size = kListPieceSize);

}  // namespace gamelist
