#include "gamelist/list_file.h"

#include <string>

namespace gamelist {

bool ReadListLines(std::istream& in, const std::function<void(std::string_view line, std::size_t number)>& on_line,
                   std::size_t piece_size) {
  static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  std::string pending;  // what has been read and not yet handed out
  std::size_t number = 0;
  bool mark_checked = false;
  const auto hand_out = [&](std::string_view line) {
    ++number;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!line.empty()) on_line(line, number);
  };
  for (bool end = false; !end;) {
    const std::size_t held = pending.size();
    pending.resize(held + piece_size);
    in.read(pending.data() + held, static_cast<std::streamsize>(piece_size));
    pending.resize(held + static_cast<std::size_t>(in.gcount()));
    if (in.bad() || (in.fail() && !in.eof())) return false;
    end = in.eof();
    // The mark is known once three bytes are in, or the list has ended.
    if (!mark_checked) {
      if (pending.size() < kByteOrderMark.size() && !end) continue;
      if (pending.starts_with(kByteOrderMark)) pending.erase(0, kByteOrderMark.size());
      mark_checked = true;
    }
    const std::string_view text = pending;
    std::size_t start = 0;
    for (std::size_t stop; (stop = text.find('\n', start)) != std::string_view::npos; start = stop + 1)
      hand_out(text.substr(start, stop - start));
    if (end && start < text.size()) hand_out(text.substr(start));
    pending.erase(0, start);
  }
  return true;
}

}  // namespace gamelist
