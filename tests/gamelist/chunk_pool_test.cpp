#include "gamelist/chunk_pool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

namespace {

using gamelist::ChunkPool;

constexpr std::size_t kKiB = 1024;
constexpr std::size_t kMiB = 1024 * kKiB;

// Blocks that fill chunks exactly, leave a rest too small for the next one,
// outgrow the chunk in turn, and reach the large chunks, whose start the
// pool aligns itself. Each block is filled with its own byte and checked at
// the end, so blocks that overlap or memory given back too early show.
TEST(ChunkPool, BlocksAreAlignedApartAndKeepTheirBytes) {
  const std::size_t sizes[] = {
      1,       63,           64 * kKiB,   ChunkPool::kFirstChunk - 64 * kKiB - 128,  // the first chunk to its end
      200 * kKiB,                                                                     // a new chunk
      1 * kMiB,  3 * kMiB,  5 * kMiB,  // larger than the chunk in turn
      64 * kKiB, 2 * kMiB,  4 * kMiB,  64 * kKiB,
  };
  ChunkPool pool;
  std::vector<std::pair<unsigned char*, std::size_t>> blocks;
  for (std::size_t i = 0; i < std::size(sizes); ++i) {
    auto* const block = static_cast<unsigned char*>(pool.Take(sizes[i]));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % ChunkPool::kAlignment, 0u) << "block " << i;
    std::memset(block, static_cast<int>(i + 1), sizes[i]);
    blocks.emplace_back(block, sizes[i]);
  }
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const auto [block, size] = blocks[i];
    std::size_t wrong = 0;
    for (std::size_t j = 0; j < size; ++j) wrong += block[j] != static_cast<unsigned char>(i + 1);
    EXPECT_EQ(wrong, 0u) << "block " << i;
  }
  // A size whose rounding would wrap round is refused, not served small.
  EXPECT_THROW(pool.Take(std::numeric_limits<std::size_t>::max() - 10), std::bad_alloc);
}

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer build guards the pool's blocks as it guards heap blocks.
TEST(ChunkPoolDeathTest, AWritePastABlockIsCaughtUnderAddressSanitizer) {
  ChunkPool pool;
  auto* const block = static_cast<volatile char*>(pool.Take(100));
  pool.Take(100);
  block[99] = 1;
  EXPECT_DEATH(block[100] = 1, "use-after-poison");
}
#endif

}  // namespace
