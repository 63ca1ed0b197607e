#pragma once
// A set of the values of a small enumeration (at most 32 values), one bit per
// value, as the option objects' flag sets are held.
#include <cstdint>
#include <initializer_list>

namespace framework {

template <class E>
class TEnumSet {
 public:
  constexpr TEnumSet() = default;
  constexpr TEnumSet(std::initializer_list<E> values) {
    for (E value : values) bits_ |= Bit(value);
  }
  static constexpr TEnumSet FromBits(std::uint32_t bits) {
    TEnumSet set;
    set.bits_ = bits;
    return set;
  }

  constexpr bool Contains(E value) const { return (bits_ & Bit(value)) != 0; }
  constexpr void Include(E value) { bits_ |= Bit(value); }
  constexpr void Exclude(E value) { bits_ &= ~Bit(value); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr std::uint32_t Bits() const { return bits_; }
  friend constexpr bool operator==(TEnumSet a, TEnumSet b) { return a.bits_ == b.bits_; }

 private:
  static constexpr std::uint32_t Bit(E value) { return std::uint32_t{1} << static_cast<unsigned>(value); }
  std::uint32_t bits_ = 0;
};

}  // namespace framework
