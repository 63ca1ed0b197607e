#include "gamelist/gb2312.h"

#include <array>

namespace gamelist {

namespace {

// Every GB2312 character lies in the Basic Multilingual Plane, so one entry
// per BMP code point answers a lookup with a single read (128 KiB, built
// from the sorted table on first use).
using FlatTable = std::array<std::uint16_t, 0x10000>;

FlatTable BuildFlatTable() {
  FlatTable table{};
  for (const Gb2312Pair& pair : kGb2312Table) table[pair.unicode] = pair.code;
  return table;
}

}  // namespace

std::uint16_t Gb2312Encode(char32_t unicode) {
  static const FlatTable table = BuildFlatTable();
  return unicode < table.size() ? table[unicode] : 0;
}

}  // namespace gamelist
