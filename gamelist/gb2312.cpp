#include "gamelist/gb2312.h"

#include <algorithm>

namespace gamelist {

std::uint16_t Gb2312Encode(char32_t unicode) {
  const Gb2312Pair* end = kGb2312Table + kGb2312Size;
  const Gb2312Pair* it = std::lower_bound(
      kGb2312Table, end, unicode, [](const Gb2312Pair& p, char32_t u) { return p.unicode < u; });
  return (it != end && it->unicode == unicode) ? it->code : 0;
}

}  // namespace gamelist
