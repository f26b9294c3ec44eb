#pragma once

#include <array>
#include <cstdint>
#include <cstring>
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
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);  // the mantissa
    const std::size_t slot = (bits ^ (bits >> 17) ^ (bits >> 40)) % kSlots;
    if (keys_[slot] != value) {
      keys_[slot] = value;
      results_[slot] = function(value);
    }
    return results_[slot];
  }

 private:
  static constexpr std::size_t kSlots = 512;
  std::array<long double, kSlots> keys_;
  std::array<Result, kSlots> results_{};
};

}  // namespace kq
