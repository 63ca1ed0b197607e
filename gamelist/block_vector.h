#pragma once
// A growing array kept in fixed-size blocks. Growing adds a block and never
// moves or copies what is there, so a large document costs no doubling peak
// (old and new buffer alive at once) and references to elements stay valid.
#include <cstddef>
#include <memory>
#include <vector>

namespace gamelist {

template <typename T>
class BlockVector {
 public:
  static constexpr std::size_t kBlockLength = 4096;

  std::size_t Size() const { return size_; }

  T& operator[](std::size_t index) { return blocks_[index / kBlockLength][index % kBlockLength]; }
  const T& operator[](std::size_t index) const { return blocks_[index / kBlockLength][index % kBlockLength]; }

  // Returns the new element's index.
  std::size_t Append(const T& value) {
    if (size_ == blocks_.size() * kBlockLength) blocks_.push_back(std::make_unique_for_overwrite<T[]>(kBlockLength));
    (*this)[size_] = value;
    return size_++;
  }

 private:
  std::vector<std::unique_ptr<T[]>> blocks_;
  std::size_t size_ = 0;
};

}  // namespace gamelist
