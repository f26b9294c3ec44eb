#include "decode/number_text.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace kq {
namespace {

using u128 = unsigned __int128;

constexpr int kDigits = 15;
constexpr std::uint64_t kTenPow14 = 100000000000000ULL;
constexpr std::uint64_t kTenPow15 = 1000000000000000ULL;

u128 powerOf(unsigned base, int exponent) {
  u128 result = 1;
  for (int i = 0; i < exponent; ++i) result *= base;
  return result;
}

// Shifts right by k bits, rounding a remainder of exactly one half away from
// zero (that is, up, since the value is a magnitude).
u128 shiftRoundHalfUp(u128 value, int k) {
  if (k <= 0) return value;
  if (k >= 128) return 0;
  u128 result = value >> k;
  u128 remainder = value - (result << k);
  if (remainder >= (u128(1) << (k - 1))) ++result;
  return result;
}

// round(mantissa * 2^binaryExponent * 10^power), halves away from zero, or
// false when the exact product does not fit the integer arithmetic here.
bool scaledRound(std::uint64_t mantissa, int binaryExponent, int power, std::uint64_t& out) {
  if (power >= 0) {
    if (power > 27) return false;  // 5^power times a 64-bit mantissa must fit 128 bits
    u128 product = u128(mantissa) * powerOf(5, power);
    int shift = binaryExponent + power;
    if (shift >= 0) {
      if (shift >= 64 || (product >> (127 - shift)) != 0) return false;
      product <<= shift;
    } else {
      product = shiftRoundHalfUp(product, -shift);
    }
    if (product >= u128(kTenPow15) * 100) return false;
    out = static_cast<std::uint64_t>(product);
    return true;
  }
  // Large magnitudes: the value is an integer when it is this large.
  if (binaryExponent < 0 || binaryExponent > 63) return false;
  u128 whole = u128(mantissa) << binaryExponent;
  u128 divisor = powerOf(10, -power);
  u128 quotient = whole / divisor;
  u128 remainder = whole % divisor;
  if (remainder * 2 >= divisor) ++quotient;
  if (quotient >= u128(kTenPow15) * 100) return false;
  out = static_cast<std::uint64_t>(quotient);
  return true;
}

// The 15 significant digits and the decimal exponent of |value| > 0.
bool significantDigits(long double magnitude, std::uint64_t& digits, int& exponent10) {
  int binaryExponent = 0;
  long double fraction = std::frexp(magnitude, &binaryExponent);  // [0.5, 1)
  auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
  binaryExponent -= 64;
  exponent10 = static_cast<int>(std::floor(std::log10(magnitude)));
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::uint64_t n = 0;
    if (!scaledRound(mantissa, binaryExponent, kDigits - 1 - exponent10, n)) return false;
    if (n >= kTenPow15) {
      if (n == kTenPow15) {  // rounding carried into a new digit
        digits = kTenPow14;
        exponent10 += 1;
        return true;
      }
      exponent10 += 1;
    } else if (n < kTenPow14) {
      exponent10 -= 1;
    } else {
      digits = n;
      return true;
    }
  }
  return false;
}

// Slow path for magnitudes outside the exact integer arithmetic (below about
// 1e-13 or above 2^63): the C library's correctly rounded digits.
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

}  // namespace

void appendInteger(std::string& out, long long value) {
  char buffer[24];
  int n = std::snprintf(buffer, sizeof buffer, "%lld", value);
  out.append(buffer, static_cast<std::size_t>(n));
}

void appendNumber(std::string& out, long double value, char decimalSeparator) {
  if (std::isnan(value)) {
    out += "NAN";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-INF" : "INF";
    return;
  }
  if (value == 0) {
    out += '0';
    return;
  }
  long double magnitude = std::fabs(value);
  std::uint64_t digits = 0;
  int exponent10 = 0;
  if (!significantDigits(magnitude, digits, exponent10)) significantDigitsFallback(magnitude, digits, exponent10);

  char text[kDigits];
  for (int i = kDigits - 1; i >= 0; --i) {
    text[i] = static_cast<char>('0' + digits % 10);
    digits /= 10;
  }
  int count = kDigits;
  while (count > 1 && text[count - 1] == '0') --count;

  if (value < 0) out += '-';
  if (exponent10 < -4 || exponent10 >= kDigits) {
    out += text[0];
    if (count > 1) {
      out += decimalSeparator;
      out.append(text + 1, static_cast<std::size_t>(count - 1));
    }
    out += 'E';
    appendInteger(out, exponent10);
    return;
  }
  if (exponent10 < 0) {
    out += '0';
    out += decimalSeparator;
    out.append(static_cast<std::size_t>(-exponent10 - 1), '0');
    out.append(text, static_cast<std::size_t>(count));
    return;
  }
  int wholeDigits = exponent10 + 1;
  if (count <= wholeDigits) {
    out.append(text, static_cast<std::size_t>(count));
    out.append(static_cast<std::size_t>(wholeDigits - count), '0');
    return;
  }
  out.append(text, static_cast<std::size_t>(wholeDigits));
  out += decimalSeparator;
  out.append(text + wholeDigits, static_cast<std::size_t>(count - wholeDigits));
}

}  // namespace kq
