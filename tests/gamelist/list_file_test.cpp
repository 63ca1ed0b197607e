#include "gamelist/list_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using Lines = std::vector<std::pair<std::string, std::size_t>>;

Lines Read(const std::string& text, std::size_t piece_size) {
  std::istringstream in(text);
  Lines lines;
  EXPECT_TRUE(gamelist::ReadListLines(
      in, [&](std::string_view line, std::size_t number) { lines.emplace_back(line, number); }, piece_size));
  return lines;
}

// Every case at piece sizes that put each byte, the mark and every CR LF
// at a piece's edge, and at the real size.
TEST(ListFile, LinesNumbersAndTheMarkDoNotDependOnWherePiecesEnd) {
  const struct {
    std::string text;
    Lines lines;
  } cases[] = {
      {"\xEF\xBB\xBF" "Alpha.zip\r\n\r\nB.zip\nC\n\n", {{"Alpha.zip", 1}, {"B.zip", 3}, {"C", 4}}},
      {"a.zip\nbc.7z", {{"a.zip", 1}, {"bc.7z", 2}}},  // the last line without a break
      {"", {}},
      {"\xEF\xBB\xBF", {}},
      {"\xEF\xBB", {{"\xEF\xBB", 1}}},                     // not a whole mark: a line, for the caller to refuse
      {"x\xEF\xBB\xBF", {{"x\xEF\xBB\xBF", 1}}},           // a mark counts only at the start
      {"\r\n\r\n", {}},
      {"a\r\r\nb\r", {{"a\r", 1}, {"b", 2}}},               // one CR goes with the break
      {"\n\n\xE9\xAD\x82.zip", {{"\xE9\xAD\x82.zip", 3}}},  // numbers count the empty lines too
  };
  for (const std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{4}, std::size_t{5},
                                  gamelist::kListPieceSize}) {
    for (std::size_t i = 0; i < std::size(cases); ++i)
      EXPECT_EQ(Read(cases[i].text, piece), cases[i].lines) << "case " << i << ", pieces of " << piece;
  }
}

// A stream whose source fails after its first bytes.
class FailingSource : public std::streambuf {
 public:
  FailingSource() { setg(text_, text_, text_ + 4); }

 protected:
  int_type underflow() override { throw std::runtime_error("the disk went away"); }

 private:
  char text_[4] = {'a', '\n', 'b', 'c'};
};

TEST(ListFile, AFailedReadIsReportedAfterTheLinesBeforeIt) {
  FailingSource source;
  std::istream in(&source);
  Lines lines;
  EXPECT_FALSE(gamelist::ReadListLines(
      in, [&](std::string_view line, std::size_t number) { lines.emplace_back(line, number); }, 2));
  EXPECT_EQ(lines, (Lines{{"a", 1}}));
}

}  // namespace
