#include "gamelist/gb2312.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(Gb2312Table, HoldsTheEucCnRangesWithTheWindowsMapping) {
  std::set<std::uint16_t> codes;
  for (std::size_t i = 0; i < gamelist::kGb2312Size; ++i) {
    const gamelist::Gb2312Pair& pair = gamelist::kGb2312Table[i];
    if (i > 0) {
      ASSERT_LT(gamelist::kGb2312Table[i - 1].unicode, pair.unicode) << "sorted, no duplicates";
    }
    ASSERT_LT(static_cast<std::uint32_t>(pair.unicode), 0x10000u) << "the flat lookup covers the BMP only";
    const unsigned lead = pair.code >> 8, trail = pair.code & 0xFF;
    ASSERT_TRUE((lead >= 0xA1 && lead <= 0xA9) || (lead >= 0xB0 && lead <= 0xF7)) << std::hex << pair.code;
    ASSERT_TRUE(trail >= 0xA1 && trail <= 0xFE) << std::hex << pair.code;
    codes.insert(pair.code);
  }
  EXPECT_EQ(codes.size(), 7445u);
}

TEST(Gb2312Table, EncodesAsWindowsDoes) {
  const struct {
    char32_t unicode;
    std::uint16_t code;
  } cases[] = {
      {U'\u00B7', 0xA1A4},  // middle dot: code page 936, not GB2312's katakana dot
      {U'\u2014', 0xA1AA},  // em dash: code page 936, not the horizontal bar
      {U'\u4E2D', 0xD6D0},  // 中
      {U'\u6587', 0xCEC4},  // 文
      {U'\u3000', 0xA1A1},  // ideographic space
      {U'\uFF01', 0xA3A1},  // fullwidth "!"
      {U'\u9F44', 0xF7FE},  // the last position
      {U'\u30FB', 0},       // katakana middle dot: not in the set
      {U'\u2015', 0},       // horizontal bar: not in the set
      {U'\u20AC', 0},       // euro sign
      {U'\u00E9', 0xA8A6},  // é (pinyin row)
      {U'\u00C9', 0},       // É
      {U'A', 0},            // ASCII is written as itself, not from the table
      {U'\U0001F600', 0},
  };
  for (const auto& c : cases) EXPECT_EQ(gamelist::Gb2312Encode(c.unicode), c.code) << std::hex << static_cast<std::uint32_t>(c.unicode);
}

}  // namespace
