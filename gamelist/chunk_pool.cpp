#include "gamelist/chunk_pool.h"

#include <algorithm>
#include <limits>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#else
#define ASAN_POISON_MEMORY_REGION(at, size) ((void)(at), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(at, size) ((void)(at), (void)(size))
#endif

namespace gamelist {

namespace {

// Under AddressSanitizer a chunk stays poisoned but for the blocks taken,
// and a gap follows every block, so that a write past a block's end is
// caught as it would be past a heap allocation's.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::size_t kGuard = ChunkPool::kAlignment;
#else
constexpr std::size_t kGuard = 0;
#endif

}  // namespace

ChunkPool::~ChunkPool() {
  // The addresses go back to the system, which may hand them out again.
  for (const SystemChunk& chunk : chunks_) ASAN_UNPOISON_MEMORY_REGION(chunk.Data(), chunk.Size());
}

void* ChunkPool::Take(std::size_t bytes) {
  // So that the rounding below cannot wrap round to a small block.
  if (bytes > std::numeric_limits<std::size_t>::max() / 2) throw std::bad_alloc();
  const std::size_t wanted = bytes;
  bytes = (std::max<std::size_t>(bytes, 1) + kAlignment - 1) / kAlignment * kAlignment + kGuard;
  if (bytes > left_) {
    // What is left of the current chunk stays unused: blocks are few and
    // large, so that is a small part of a chunk.
    const std::size_t size = std::max(chunk_size_, bytes);
    chunks_.reserve(chunks_.size() + 1);  // so that the new chunk cannot be lost
    chunks_.emplace_back(size);
    next_ = chunks_.back().Data();
    left_ = size;
    chunk_size_ = std::min(chunk_size_ * 2, kLargestChunk);
    ASAN_POISON_MEMORY_REGION(next_, size);
  }
  void* block = next_;
  next_ += bytes;
  left_ -= bytes;
  ASAN_UNPOISON_MEMORY_REGION(block, wanted);
  SystemChunk::Prefault(block, wanted);
  return block;
}

}  // namespace gamelist
