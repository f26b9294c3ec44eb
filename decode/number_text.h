#pragma once

#include <cstdint>
#include <string>

namespace kq {

// Appends a decoded value in general format: at most 15 significant digits,
// a value exactly halfway at the 15th digit rounded away from zero, no
// trailing zeros, no separator for whole numbers, never "-0". Magnitudes from
// 0.0001 up to 10^15 print plainly; others as mantissa, "E", exponent
// (3,0517578125E-5). The rounding works on the exact binary value, so the
// text is the same on every run and machine with x87 extended precision.
void appendNumber(std::string& out, long double value, char decimalSeparator);

// The longest text writeNumber and writeInteger produce.
inline constexpr int kMaxNumberText = 32;

// The same texts written at out, returning the end; for hot loops.
char* writeNumber(char* out, long double value, char decimalSeparator);
char* writeInteger(char* out, long long value);

// A finite value as its number text shows it: ±digits × 10^exponent with at
// most 15 significant digits; whole numbers below 10^15 as they are
// (exponent 0), others without trailing zeros.
struct NumberDigits {
  bool negative = false;
  std::uint64_t digits = 0;
  int exponent = 0;
};
NumberDigits numberDigits(long double value);
// The number text of those digits; writeNumber(v) is writeDigits(numberDigits(v)).
char* writeDigits(char* out, const NumberDigits& number, char decimalSeparator);

// A plain decimal integer with a leading "-" when negative.
void appendInteger(std::string& out, long long value);

}  // namespace kq
