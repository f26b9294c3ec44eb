#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <limits>

namespace kq {

// What a costly function gave for the values met last, by a hash of the
// value: a column takes few distinct values (most parameters come from one
// byte), so decoding and summing look most of them up.
template <class Result, Result (*function)(long double)>
class ValueCache {
 public:
  ValueCache() { keys_.fill(std::numeric_limits<long double>::quiet_NaN()); }
  const Result& operator()(long double value) {
    // The whole mantissa and the exponent, as the nearest double has them: the
    // values of one byte differ in their leading bits only, and by powers of two.
    const auto bits = std::bit_cast<std::uint64_t>(static_cast<double>(value));
    const std::size_t slot = ((bits ^ (bits >> 32)) * 0x9E3779B97F4A7C15ULL) >> (64 - kSlotBits);
    if (keys_[slot] != value) {
      keys_[slot] = value;
      results_[slot] = function(value);
    }
    return results_[slot];
  }

 private:
  static constexpr int kSlotBits = 9;
  static constexpr std::size_t kSlots = std::size_t(1) << kSlotBits;
  std::array<long double, kSlots> keys_;
  std::array<Result, kSlots> results_{};
};

}  // namespace kq
