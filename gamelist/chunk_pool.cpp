#include "gamelist/chunk_pool.h"

#include <algorithm>

namespace gamelist {

void* ChunkPool::Take(std::size_t bytes) {
  bytes = (std::max<std::size_t>(bytes, 1) + kAlignment - 1) / kAlignment * kAlignment;
  if (bytes > left_) {
    // What is left of the current chunk stays unused: blocks are few and
    // large, so that is a small part of a chunk.
    const std::size_t size = std::max(chunk_size_, bytes);
    chunks_.reserve(chunks_.size() + 1);  // so that the new chunk cannot be lost
    chunks_.emplace_back(size);
    next_ = chunks_.back().Data();
    left_ = size;
    chunk_size_ = std::min(chunk_size_ * 2, kLargestChunk);
  }
  void* block = next_;
  next_ += bytes;
  left_ -= bytes;
  return block;
}

}  // namespace gamelist
