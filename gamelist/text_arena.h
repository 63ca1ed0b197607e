#pragma once
// Storage for a document's texts: each copy is packed, behind its length,
// right after the one before in large blocks that live as long as the arena.
// A text costs its bytes and four more, no heap block of its own, and is
// named by a 32-bit handle (its position), so a node can hold it in a field
// of its record. The blocks come from a ChunkPool, which frees the whole
// document's text at once.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "gamelist/chunk_pool.h"

namespace gamelist {

class TextArena {
 public:
  using Handle = std::uint32_t;
  static constexpr std::size_t kBlockSize = 64 * 1024;

  // `capacity` bounds the positions, so that handles fit the field that
  // holds them.
  TextArena(ChunkPool& pool, std::size_t capacity) : pool_(pool), capacity_(capacity) {}
  TextArena(const TextArena&) = delete;
  TextArena& operator=(const TextArena&) = delete;

  // Stores a copy. A text never straddles two blocks: one that does not fit
  // the current block's rest starts the next block, and one larger than a
  // block gets a piece of the pool that spans as many block positions as it
  // needs. Throws GamelistError when the arena is full.
  Handle Store(std::string_view text);

  std::string_view View(Handle handle) const {
    const char* at = blocks_[handle / kBlockSize] + handle % kBlockSize;
    std::uint32_t length;
    std::memcpy(&length, at, sizeof length);
    return {at + sizeof length, length};
  }

 private:
  ChunkPool& pool_;
  std::size_t capacity_;
  // The start of every kBlockSize positions; a large text's piece stands for
  // several consecutive entries.
  std::vector<char*> blocks_;
  std::size_t next_ = 0;  // the position the next text goes to
};

}  // namespace gamelist
