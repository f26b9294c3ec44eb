#include "chart/series_values.h"

#include <charconv>
#include <cmath>
#include <string>

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

template <class T>
T parseCell(std::string_view text, char decimalSeparator, std::string& buffer) {
  T value = 0;
  if (normalise(text, decimalSeparator, buffer)) {
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
