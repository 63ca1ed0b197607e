#include "gamelist/text_arena.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gamelist/error.h"

namespace {

using gamelist::TextArena;

constexpr std::size_t kBlock = TextArena::kBlockSize;
constexpr std::size_t kPrefix = 4;  // each text's length, stored before it

// A text of `size` bytes that differs from every other text of the test.
std::string Text(std::size_t size, std::size_t seed) {
  std::string text(size, '\0');
  for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>('a' + (i * 7 + seed) % 26);
  return text;
}

// Texts placed so that each lands at the edge of a block: the filler leaves
// `rest` bytes of the current block, then a text of `size` bytes follows.
TEST(TextArena, ATextNeverStraddlesABlockAndEveryOneReadsBackWhole) {
  const struct {
    std::size_t rest;
    std::size_t size;
  } cases[] = {
      {100, 100 - kPrefix},      // fills the block exactly
      {100, 100 - kPrefix + 1},  // one byte too many: the next block
      {kPrefix, 0},              // an empty text in the last four bytes
      {kPrefix - 1, 0},          // not even its length fits
      {1, 1},
      {500, kBlock - kPrefix},      // a whole block of its own
      {500, kBlock - kPrefix + 1},  // larger than a block: spans two
      {500, 3 * kBlock + 17},       // spans four
  };
  gamelist::ChunkPool pool;
  TextArena arena(pool, std::size_t{1} << 30);
  std::vector<std::pair<TextArena::Handle, std::string>> stored;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    // A text of a whole block fills one of its own, whatever the case before
    // left; the filler then starts the next block.
    stored.emplace_back(arena.Store(Text(kBlock - kPrefix, i)), Text(kBlock - kPrefix, i));
    const std::size_t filler = kBlock - cases[i].rest - kPrefix;
    stored.emplace_back(arena.Store(Text(filler, i + 100)), Text(filler, i + 100));
    EXPECT_EQ(stored.back().first % kBlock, 0u) << "case " << i;
    const std::size_t used = filler + kPrefix;  // bytes taken in the current block
    const std::string text = Text(cases[i].size, i + 200);
    const TextArena::Handle handle = arena.Store(text);
    stored.emplace_back(handle, text);
    const bool fits = cases[i].size + kPrefix <= kBlock - used;
    EXPECT_EQ(handle % kBlock, fits ? used : 0) << "case " << i;
    EXPECT_EQ(arena.View(handle), text) << "case " << i;
  }
  for (const auto& [handle, text] : stored) EXPECT_EQ(arena.View(handle), text) << "handle " << handle;
}

TEST(TextArena, RefusesATextBeyondItsCapacityAndKeepsWhatItHolds) {
  gamelist::ChunkPool pool;
  TextArena arena(pool, 100);
  const TextArena::Handle first = arena.Store(Text(60, 1));
  EXPECT_THROW(arena.Store(Text(40, 2)), gamelist::GamelistError);  // 60 + 4 + 40 + 4 > 100
  const TextArena::Handle second = arena.Store(Text(32, 3));         // exactly 100
  EXPECT_THROW(arena.Store(""), gamelist::GamelistError);
  EXPECT_EQ(arena.View(first), Text(60, 1));
  EXPECT_EQ(arena.View(second), Text(32, 3));
}

}  // namespace
