#pragma once
// A growing array kept in fixed-size blocks taken from a ChunkPool. Growing
// adds a block and never moves or copies what is there, so a large document
// costs no doubling peak (old and new buffer alive at once) and references
// to elements stay valid. The pool frees the blocks, without destructors,
// so the elements must be trivial.
#include <cstddef>
#include <type_traits>
#include <vector>

#include "gamelist/chunk_pool.h"

namespace gamelist {

template <typename T>
class BlockVector {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

 public:
  static constexpr std::size_t kBlockLength = 4096;

  explicit BlockVector(ChunkPool& pool) : pool_(pool) {}
  BlockVector(const BlockVector&) = delete;
  BlockVector& operator=(const BlockVector&) = delete;

  std::size_t Size() const { return size_; }

  T& operator[](std::size_t index) { return blocks_[index / kBlockLength][index % kBlockLength]; }
  const T& operator[](std::size_t index) const { return blocks_[index / kBlockLength][index % kBlockLength]; }

  // Returns the new element's index.
  std::size_t Append(const T& value) {
    if (size_ == blocks_.size() * kBlockLength) {
      blocks_.reserve(blocks_.size() + 1);  // before the block, so that the block is not lost
      blocks_.push_back(static_cast<T*>(pool_.Take(kBlockLength * sizeof(T))));
    }
    (*this)[size_] = value;
    return size_++;
  }

 private:
  ChunkPool& pool_;
  std::vector<T*> blocks_;
  std::size_t size_ = 0;
};

}  // namespace gamelist
