#pragma once

#include <cmath>
#include <cstdint>

#include "decode/number_text.h"

namespace kq {

// A value's shown digits (numberDigits) in one word, so that the numeric model
// keeps them beside its values at half their size and statistics need not
// work them out again: the signed digits times 2^13 plus the exponent biased by
// 2^12. Zero holds none: no value, or an exponent beyond ±4095 (far from any
// logged value), whose digits are then worked out from the value.
class PackedDigits {
 public:
  PackedDigits() = default;
  explicit PackedDigits(const NumberDigits& number) {
    if (number.exponent <= -kBias || number.exponent >= kBias) return;
    // Below 10^15 < 2^50 the digits times 2^13 fit 63 bits.
    const auto digits = static_cast<std::int64_t>(number.digits);
    word_ = (number.negative ? -digits : digits) * kExponentSpan + (number.exponent + kBias);
  }

  bool held() const { return word_ != 0; }
  NumberDigits digits() const {
    const std::int64_t digits = word_ >> kExponentBits;  // the exponent part is never negative
    return {digits < 0, static_cast<std::uint64_t>(digits < 0 ? -digits : digits),
            static_cast<int>(word_ & (kExponentSpan - 1)) - kBias};
  }

 private:
  static constexpr int kExponentBits = 13;
  static constexpr std::int64_t kExponentSpan = std::int64_t(1) << kExponentBits;
  static constexpr int kBias = 1 << (kExponentBits - 1);

  std::int64_t word_ = 0;
};

// A value's packed digits; none for no value (NaN) and for infinities, which
// have no digits.
inline PackedDigits packedDigits(long double value) {
  return std::isfinite(value) ? PackedDigits(numberDigits(value)) : PackedDigits();
}

}  // namespace kq
