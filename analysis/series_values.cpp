#include "analysis/series_values.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

#include "decode/conversion_error.h"

namespace kq {
namespace {
// 10^19 - 1 is the largest run of nines an unsigned 64-bit integer holds.
constexpr int kMaxDigits = 19;
// Powers of ten up to 10^27 (2^27 × 5^27, with 5^27 < 2^64) are exact in
// extended precision, so one multiplication or division rounds correctly.
constexpr int kMaxExactPower = 27;
// Exponents beyond this are out of any range; capping keeps the sum finite.
constexpr int kExponentCap = 100000;

const std::array<long double, kMaxExactPower + 1>& powersOfTen() {
  static const std::array<long double, kMaxExactPower + 1> powers = [] {
    std::array<long double, kMaxExactPower + 1> p{};
    p[0] = 1;
    for (int i = 1; i <= kMaxExactPower; ++i) p[i] = p[i - 1] * 10;
    return p;
  }();
  return powers;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The slow path for texts beyond the exact one: the C library's reading of
// the same text. std::from_chars would be locale-free, but mingw-w64's
// libstdc++ reads long double through double there; strtold is exact on
// both systems and needs the current locale's decimal point.
long double readWithLibrary(std::string_view text, char decimalSeparator) {
  const char localePoint = *std::localeconv()->decimal_point;
  std::string buffer;
  for (char c : text) buffer.push_back(c == decimalSeparator ? localePoint : c);
  char* end = nullptr;
  errno = 0;
  const long double value = std::strtold(buffer.c_str(), &end);
  const bool overflow = errno == ERANGE && std::isinf(value);
  if (end != buffer.c_str() + buffer.size() || overflow) throw ConversionError::notFloat(std::string(text));
  return value;
}
}  // namespace

bool parseCellDecimal(std::string_view text, char decimalSeparator, CellDecimal& out) {
  out = CellDecimal{};
  const char* p = text.data();
  const char* const end = p + text.size();
  if (p < end && (*p == '-' || *p == '+')) out.negative = *p++ == '-';
  const char* const integerBegin = p;
  while (p < end && isDigit(*p)) ++p;
  const char* const integerEnd = p;
  const char* fractionBegin = p;
  if (p < end && *p == decimalSeparator) {
    fractionBegin = ++p;
    while (p < end && isDigit(*p)) ++p;
  }
  const char* const fractionEnd = p;
  const auto integerDigits = integerEnd - integerBegin;
  const auto fractionDigits = fractionEnd - fractionBegin;
  if (integerDigits + fractionDigits == 0) return false;

  if (integerDigits + fractionDigits <= kMaxDigits) {
    // The common case: every digit fits, leading zeros included.
    for (const char* d = integerBegin; d < integerEnd; ++d) out.digits = out.digits * 10 + unsigned(*d - '0');
    for (const char* d = fractionBegin; d < fractionEnd; ++d)
      out.digits = out.digits * 10 + unsigned(*d - '0');
    out.exponent = -int(fractionDigits);
  } else {
    int significant = 0;
    auto take = [&](const char* from, const char* to, bool fraction) {
      for (const char* d = from; d < to; ++d) {
        unsigned digit = unsigned(*d - '0');
        if (significant < kMaxDigits && (significant > 0 || digit != 0)) {
          out.digits = out.digits * 10 + digit;
          ++significant;
          if (fraction) --out.exponent;
        } else if (significant == 0) {
          if (fraction) --out.exponent;  // a leading zero
        } else {
          if (digit != 0) out.exact = false;
          if (!fraction) ++out.exponent;
        }
      }
    };
    take(integerBegin, integerEnd, false);
    take(fractionBegin, fractionEnd, true);
  }

  if (p < end && (*p == 'E' || *p == 'e')) {
    ++p;
    bool negativeExponent = false;
    if (p < end && (*p == '-' || *p == '+')) negativeExponent = *p++ == '-';
    if (p == end || !isDigit(*p)) return false;
    int exponent = 0;
    for (; p < end && isDigit(*p); ++p) exponent = std::min(exponent * 10 + (*p - '0'), kExponentCap);
    out.exponent += negativeExponent ? -exponent : exponent;
  }
  return p == end;
}

long double timesPowerOfTen(long double value, int exponent) {
  const auto& powers = powersOfTen();
  for (; exponent > kMaxExactPower; exponent -= kMaxExactPower) value *= powers[kMaxExactPower];
  for (; exponent < -kMaxExactPower; exponent += kMaxExactPower) value /= powers[kMaxExactPower];
  return exponent >= 0 ? value * powers[exponent] : value / powers[-exponent];
}

long double decimalValue(const CellDecimal& decimal, std::string_view text, char decimalSeparator) {
  if (!decimal.exact || decimal.exponent > kMaxExactPower || decimal.exponent < -kMaxExactPower)
    return readWithLibrary(text, decimalSeparator);
  long double value = timesPowerOfTen(static_cast<long double>(decimal.digits), decimal.exponent);
  return decimal.negative ? -value : value;
}

long double readCellNumber(std::string_view text, char decimalSeparator) {
  CellDecimal decimal;
  if (!parseCellDecimal(text, decimalSeparator, decimal)) throw ConversionError::notFloat(std::string(text));
  return decimalValue(decimal, text, decimalSeparator);
}

void appendSeriesValues(const ChartGrid& grid, int column, char decimalSeparator, std::vector<double>& out) {
  out.reserve(out.size() + grid.rowCount());
  for (int row = 1; row < grid.rowCount(); ++row)
    out.push_back(static_cast<double>(readCellNumber(grid.cell(row, column), decimalSeparator)));
}

}  // namespace kq
