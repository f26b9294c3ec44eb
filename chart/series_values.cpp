#include "chart/series_values.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>

#include "decode/conversion_error.h"

namespace kq {
namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Copies the text into buffer with '.' as separator, or returns false when it
// is not a number of the accepted form.
bool normalise(std::string_view text, char separator, std::string& buffer) {
  buffer.clear();
  std::size_t i = 0;
  auto digits = [&] {
    std::size_t start = i;
    while (i < text.size() && isDigit(text[i])) buffer.push_back(text[i++]);
    return i - start;
  };
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    if (text[i] == '-') buffer.push_back('-');
    ++i;
  }
  std::size_t mantissaDigits = digits();
  if (i < text.size() && text[i] == separator) {
    buffer.push_back('.');
    ++i;
    mantissaDigits += digits();
  }
  if (mantissaDigits == 0) return false;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
    buffer.push_back('e');
    ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) buffer.push_back(text[i++]);
    if (digits() == 0) return false;
  }
  return i == text.size();
}

// The nearest long double to a normalised number text whose digits fit in 19
// and whose power of ten is exact (|e| <= 27), else nothing. libstdc++'s
// from_chars for long double goes through double on mingw-w64 ("13.8" gave
// 13.80000000000000071); one operation on two exact values rounds correctly.
std::optional<long double> exactLongDouble(std::string_view text) {
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) ++i;
  std::uint64_t digits = 0;
  int significant = 0;
  int exponent = 0;
  bool fraction = false;
  for (; i < text.size() && text[i] != 'e'; ++i) {
    if (text[i] == '.') {
      fraction = true;
      continue;
    }
    if (digits == 0 && text[i] == '0') {
      if (fraction) --exponent;
      continue;
    }
    if (++significant > 19) return std::nullopt;
    digits = digits * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (fraction) --exponent;
  }
  if (i < text.size()) {
    int written = 0;
    const char* first = text.data() + i + 1 + (text[i + 1] == '+' ? 1 : 0);
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), written);
    if (error != std::errc()) return std::nullopt;
    exponent += written;
  }
  if (exponent < -27 || exponent > 27) return std::nullopt;
  long double power = 1;
  for (int k = 0; k < (exponent < 0 ? -exponent : exponent); ++k) power *= 10;
  const long double magnitude = static_cast<long double>(digits);
  const long double value = exponent < 0 ? magnitude / power : magnitude * power;
  return negative ? -value : value;
}

template <class T>
T parseCell(std::string_view text, char decimalSeparator, std::string& buffer) {
  T value = 0;
  if (normalise(text, decimalSeparator, buffer)) {
    if constexpr (std::is_same_v<T, long double>) {
      if (const auto exact = exactLongDouble(buffer)) return *exact;
    }
    auto [end, error] = std::from_chars(buffer.data(), buffer.data() + buffer.size(), value);
    if (error == std::errc() && end == buffer.data() + buffer.size()) return value;
  }
  throw ConversionError::notFloat(std::string(text));
}
}  // namespace

long double readCellNumber(std::string_view text, char decimalSeparator) {
  std::string buffer;
  return parseCell<long double>(text, decimalSeparator, buffer);
}

double plotValue(long double value) {
  // nearbyint follows the current rounding mode; the default mode rounds
  // ties to even, and nothing in the program changes it.
  return static_cast<double>(std::nearbyint(value));
}

void appendSeriesValues(const ChartGrid& grid, int column, char decimalSeparator, std::vector<double>& out) {
  // Reading as double is much faster than as long double and gives the same
  // nearest integer for texts of at most 15 significant digits.
  std::string buffer;
  out.reserve(out.size() + grid.rowCount());
  for (int row = 1; row < grid.rowCount(); ++row)
    out.push_back(plotValue(parseCell<double>(grid.cell(row, column), decimalSeparator, buffer)));
}

}  // namespace kq
