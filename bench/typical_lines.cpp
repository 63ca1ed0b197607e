#include "bench/typical_lines.h"

namespace bench {

std::vector<std::string> TypicalLines() {
  constexpr int kCount = 100000;
  std::vector<std::string> lines;
  lines.reserve(kCount);
  for (int i = 0; i < kCount; ++i) {
    const std::string n = std::to_string(i);
    if (i % 10 == 0)  // 魂斗罗 N (中国).zip
      lines.push_back("\xE9\xAD\x82\xE6\x96\x97\xE7\xBD\x97 " + n + " (\xE4\xB8\xAD\xE5\x9B\xBD).zip");
    else
      lines.push_back("Super Adventure Game " + n + " (USA, Europe) (Rev 1).zip");
  }
  return lines;
}

}  // namespace bench
