#include "decode/number_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kq {
namespace {

using u128 = unsigned __int128;

constexpr int kDigits = 15;
constexpr std::uint64_t kTenPow14 = 100000000000000ULL;
constexpr std::uint64_t kTenPow15 = 1000000000000000ULL;
constexpr int kMaxPower = 27;  // 5^27 times a 64-bit mantissa still fits 128 bits

template <unsigned Base>
constexpr std::array<u128, kMaxPower + 1> makePowers() {
  std::array<u128, kMaxPower + 1> powers{};
  powers[0] = 1;
  for (int i = 1; i <= kMaxPower; ++i) powers[i] = powers[i - 1] * Base;
  return powers;
}
constexpr auto kPowersOf5 = makePowers<5>();
constexpr auto kPowersOf10 = makePowers<10>();

// 10^k as long double for k from -32 to 32, to pick the decimal exponent in one
// comparison (the digit loop corrects the rare guess an inexact power misleads).
constexpr int kGuessLimit = 32;
constexpr std::array<long double, 2 * kGuessLimit + 1> makeGuessPowers() {
  std::array<long double, 2 * kGuessLimit + 1> powers{};
  long double up = 1;
  for (int k = 0; k <= kGuessLimit; ++k, up *= 10) {
    powers[kGuessLimit + k] = up;
    powers[kGuessLimit - k] = 1 / up;
  }
  return powers;
}
constexpr auto kGuessPowers = makeGuessPowers();

// The exact binary form of an x87 extended value: magnitude = mantissa * 2^exponent.
struct Binary {
  std::uint64_t mantissa;
  int exponent;
};

Binary decompose(long double magnitude) {
  static_assert(sizeof(long double) >= 10, "x87 extended precision expected");
  unsigned char raw[sizeof(long double)];
  std::memcpy(raw, &magnitude, sizeof magnitude);
  Binary b{};
  std::memcpy(&b.mantissa, raw, 8);
  std::uint16_t signAndExponent = 0;
  std::memcpy(&signAndExponent, raw + 8, 2);
  int biased = signAndExponent & 0x7FFF;
  b.exponent = (biased == 0 ? 1 : biased) - 16383 - 63;  // subnormals have no hidden shift
  return b;
}

// Shifts right by k bits, rounding a remainder of exactly one half up (away
// from zero, since the value is a magnitude).
u128 shiftRoundHalfUp(u128 value, int k) {
  if (k <= 0) return value;
  if (k >= 128) return 0;
  u128 result = value >> k;
  u128 remainder = value - (result << k);
  if (remainder >= (u128(1) << (k - 1))) ++result;
  return result;
}

// round(mantissa * 2^binaryExponent * 10^power) with halves away from zero,
// or false when the exact product does not fit the integer arithmetic here.
bool scaledRound(Binary b, int power, std::uint64_t& out) {
  u128 result = 0;
  if (power >= 0) {
    if (power > kMaxPower) return false;
    u128 product = u128(b.mantissa) * kPowersOf5[static_cast<std::size_t>(power)];
    int shift = b.exponent + power;
    if (shift >= 0) {
      if (shift >= 64 || (product >> (127 - shift)) != 0) return false;
      result = product << shift;
    } else {
      result = shiftRoundHalfUp(product, -shift);
    }
  } else {
    // Large magnitudes are integers: divide by the power of ten.
    if (b.exponent < 0 || b.exponent > 63 || -power > kMaxPower) return false;
    u128 whole = u128(b.mantissa) << b.exponent;
    u128 divisor = kPowersOf10[static_cast<std::size_t>(-power)];
    result = whole / divisor;
    if ((whole - result * divisor) * 2 >= divisor) ++result;
  }
  if (result >= u128(kTenPow15) * 100) return false;
  out = static_cast<std::uint64_t>(result);
  return true;
}

// The 15 significant digits and the decimal exponent of a magnitude > 0.
bool significantDigits(long double magnitude, Binary b, std::uint64_t& digits, int& exponent10) {
  // floor(log10(2^(bits - 1))) is the exponent or one below it; the loop corrects.
  int bits = 64 - __builtin_clzll(b.mantissa) + b.exponent;
  exponent10 = ((bits - 1) * 315653) >> 20;
  if (exponent10 + 1 >= -kGuessLimit && exponent10 + 1 <= kGuessLimit &&
      magnitude >= kGuessPowers[static_cast<std::size_t>(exponent10 + 1 + kGuessLimit)]) {
    exponent10 += 1;
  }
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::uint64_t n = 0;
    if (!scaledRound(b, kDigits - 1 - exponent10, n)) return false;
    if (n < kTenPow14) {
      exponent10 -= 1;
    } else if (n < kTenPow15) {
      digits = n;
      return true;
    } else if (n == kTenPow15) {  // rounding carried into a new digit
      digits = kTenPow14;
      exponent10 += 1;
      return true;
    } else {
      exponent10 += 1;
    }
  }
  return false;
}

// Slow path for magnitudes outside the exact integer arithmetic (below about
// 1e-13 or from 2^64 on): the C library's correctly rounded digits.
void significantDigitsFallback(long double magnitude, std::uint64_t& digits, int& exponent10) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*Le", kDigits - 1, magnitude);
  digits = 0;
  const char* p = buffer;
  for (; *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9') digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
  }
  exponent10 = std::atoi(p + 1);
}

constexpr char kTwoDigits[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes n (below 10^15) as exactly 15 digits, two at a time in 32-bit steps.
void writeFifteenDigits(char* text, std::uint64_t n) {
  auto high = static_cast<std::uint32_t>(n / 100000000);  // 7 digits
  auto low = static_cast<std::uint32_t>(n % 100000000);   // 8 digits
  for (int i = 14; i > 7; i -= 2) {
    std::memcpy(text + i - 1, kTwoDigits + 2 * (low % 100), 2);
    low /= 100;
  }
  for (int i = 6; i > 0; i -= 2) {
    std::memcpy(text + i - 1, kTwoDigits + 2 * (high % 100), 2);
    high /= 100;
  }
  text[0] = static_cast<char>('0' + high);
}

char* writeUnsigned(char* out, std::uint64_t value) {
  char buffer[20];
  char* end = buffer + sizeof buffer;
  char* p = end;
  while (value >= 100) {
    p -= 2;
    std::memcpy(p, kTwoDigits + 2 * (value % 100), 2);
    value /= 100;
  }
  if (value >= 10) {
    p -= 2;
    std::memcpy(p, kTwoDigits + 2 * value, 2);
  } else {
    *--p = static_cast<char>('0' + value);
  }
  return std::copy(p, end, out);
}

}  // namespace

char* writeInteger(char* out, long long value) {
  if (value < 0) {
    *out++ = '-';
    return writeUnsigned(out, 0 - static_cast<std::uint64_t>(value));
  }
  return writeUnsigned(out, static_cast<std::uint64_t>(value));
}

NumberDigits numberDigits(long double value) {
  NumberDigits number;
  if (value == 0) return number;
  number.negative = value < 0;
  const long double magnitude = std::fabs(value);
  const Binary b = decompose(magnitude);
  // Whole numbers below 10^15 have at most 15 digits: taken as they are.
  // Tested on the bits, since an x87 conversion to integer is slow.
  if (b.exponent <= 0 && b.exponent > -64) {
    const int shift = -b.exponent;
    const std::uint64_t whole = shift == 0 ? b.mantissa : b.mantissa >> shift;
    const bool exact = shift == 0 || (b.mantissa & ((std::uint64_t(1) << shift) - 1)) == 0;
    if (exact && whole < kTenPow15) {
      number.digits = whole;
      return number;
    }
  }
  int exponent10 = 0;
  if (!significantDigits(magnitude, b, number.digits, exponent10))
    significantDigitsFallback(magnitude, number.digits, exponent10);
  // Trailing zeros go, so that equal texts give equal digits.
  number.exponent = exponent10 - (kDigits - 1);
  while (number.digits % 10 == 0) {
    number.digits /= 10;
    ++number.exponent;
  }
  return number;
}

char* writeDigits(char* out, const NumberDigits& number, char decimalSeparator) {
  if (number.digits == 0) {
    *out++ = '0';
    return out;
  }
  if (number.negative) *out++ = '-';
  if (number.exponent == 0) return writeUnsigned(out, number.digits);
  int count = 1;
  std::uint64_t scaled = number.digits;
  for (std::uint64_t rest = number.digits / 10; rest != 0; rest /= 10) ++count;
  for (int i = count; i < kDigits; ++i) scaled *= 10;
  const int exponent10 = number.exponent + count - 1;

  char text[kDigits];
  writeFifteenDigits(text, scaled);
  if (exponent10 < -4 || exponent10 >= kDigits) {
    *out++ = text[0];
    if (count > 1) {
      *out++ = decimalSeparator;
      out = std::copy(text + 1, text + count, out);
    }
    *out++ = 'E';
    return writeInteger(out, exponent10);
  }
  if (exponent10 < 0) {
    *out++ = '0';
    *out++ = decimalSeparator;
    out = std::fill_n(out, -exponent10 - 1, '0');
    return std::copy(text, text + count, out);
  }
  const int wholeDigits = exponent10 + 1;
  if (count <= wholeDigits) {
    out = std::copy(text, text + count, out);
    return std::fill_n(out, wholeDigits - count, '0');
  }
  out = std::copy(text, text + wholeDigits, out);
  *out++ = decimalSeparator;
  return std::copy(text + wholeDigits, text + count, out);
}

char* writeNumber(char* out, long double value, char decimalSeparator) {
  if (std::isnan(value)) return std::copy_n("NAN", 3, out);
  if (std::isinf(value)) return value < 0 ? std::copy_n("-INF", 4, out) : std::copy_n("INF", 3, out);
  return writeDigits(out, numberDigits(value), decimalSeparator);
}

void appendNumber(std::string& out, long double value, char decimalSeparator) {
  char buffer[kMaxNumberText];
  out.append(buffer, writeNumber(buffer, value, decimalSeparator));
}

void appendInteger(std::string& out, long long value) {
  char buffer[kMaxNumberText];
  out.append(buffer, writeInteger(buffer, value));
}

}  // namespace kq
