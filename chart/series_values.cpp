#include "chart/series_values.h"

#include <algorithm>
#include <array>
#include <charconv>
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

// The slow path for texts beyond the exact one: the library's reading of the
// same text with '.' as separator.
long double readWithLibrary(std::string_view text, char decimalSeparator) {
  std::string buffer;
  for (char c : text) {
    if (c == '+') continue;
    buffer.push_back(c == decimalSeparator ? '.' : c);
  }
  long double value = 0;
  auto [end, error] = std::from_chars(buffer.data(), buffer.data() + buffer.size(), value);
  if (error != std::errc() || end != buffer.data() + buffer.size())
    throw ConversionError::notFloat(std::string(text));
  return value;
}
}  // namespace

bool parseCellDecimal(std::string_view text, char decimalSeparator, CellDecimal& out) {
  out = CellDecimal{};
  std::size_t i = 0;
  const std::size_t size = text.size();
  if (i < size && (text[i] == '-' || text[i] == '+')) out.negative = text[i++] == '-';
  int significant = 0;
  int mantissaDigits = 0;
  auto takeDigits = [&](bool fraction) {
    for (; i < size && isDigit(text[i]); ++i) {
      ++mantissaDigits;
      unsigned digit = unsigned(text[i] - '0');
      if (significant == 0 && digit == 0) {
        if (fraction) --out.exponent;
      } else if (significant < kMaxDigits) {
        out.digits = out.digits * 10 + digit;
        ++significant;
        if (fraction) --out.exponent;
      } else {
        if (digit != 0) out.exact = false;
        if (!fraction) ++out.exponent;
      }
    }
  };
  takeDigits(false);
  if (i < size && text[i] == decimalSeparator) {
    ++i;
    takeDigits(true);
  }
  if (mantissaDigits == 0) return false;
  if (i < size && (text[i] == 'E' || text[i] == 'e')) {
    ++i;
    bool negativeExponent = false;
    if (i < size && (text[i] == '-' || text[i] == '+')) negativeExponent = text[i++] == '-';
    if (i == size || !isDigit(text[i])) return false;
    int exponent = 0;
    for (; i < size && isDigit(text[i]); ++i)
      exponent = std::min(exponent * 10 + (text[i] - '0'), kExponentCap);
    out.exponent += negativeExponent ? -exponent : exponent;
  }
  return i == size;
}

long double readCellNumber(std::string_view text, char decimalSeparator) {
  CellDecimal decimal;
  if (!parseCellDecimal(text, decimalSeparator, decimal)) throw ConversionError::notFloat(std::string(text));
  if (!decimal.exact || decimal.exponent > kMaxExactPower || decimal.exponent < -kMaxExactPower)
    return readWithLibrary(text, decimalSeparator);
  long double value = static_cast<long double>(decimal.digits);
  if (decimal.exponent >= 0)
    value *= powersOfTen()[decimal.exponent];
  else
    value /= powersOfTen()[-decimal.exponent];
  return decimal.negative ? -value : value;
}

void appendSeriesValues(const ChartGrid& grid, int column, char decimalSeparator, std::vector<double>& out) {
  out.reserve(out.size() + grid.rowCount());
  for (int row = 1; row < grid.rowCount(); ++row)
    out.push_back(static_cast<double>(readCellNumber(grid.cell(row, column), decimalSeparator)));
}

}  // namespace kq
