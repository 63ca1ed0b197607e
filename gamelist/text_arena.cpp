#include "gamelist/text_arena.h"

#include <string>

#include "gamelist/error.h"

namespace gamelist {

TextArena::Handle TextArena::Store(std::string_view text) {
  const std::uint32_t length = static_cast<std::uint32_t>(text.size());
  const std::size_t needed = sizeof length + text.size();
  const std::size_t block_end = blocks_.size() * kBlockSize;
  const bool fits = needed <= block_end - next_;
  const std::size_t start = fits ? next_ : block_end;
  if (needed > capacity_ || start > capacity_ - needed)
    throw GamelistError("the XML document's texts exceed the " + std::to_string(capacity_ >> 20) +
                        " MiB it can hold");
  if (!fits) {
    const std::size_t spanned = (needed + kBlockSize - 1) / kBlockSize;
    blocks_.reserve(blocks_.size() + spanned);  // before the piece, so that nothing fails after it
    char* const piece = static_cast<char*>(pool_.Take(spanned * kBlockSize));
    for (std::size_t i = 0; i < spanned; ++i) blocks_.push_back(piece + i * kBlockSize);
  }
  char* at = blocks_[start / kBlockSize] + start % kBlockSize;
  std::memcpy(at, &length, sizeof length);
  if (!text.empty()) std::memcpy(at + sizeof length, text.data(), text.size());
  next_ = start + needed;
  return static_cast<Handle>(start);
}

}  // namespace gamelist
