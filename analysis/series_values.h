#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "analysis/chart_data.h"

namespace kq {

// A cell's number text as a decimal: ±digits × 10^exponent. Exact when no
// non-zero digit beyond the 19th significant one was dropped.
struct CellDecimal {
  bool negative = false;
  std::uint64_t digits = 0;
  int exponent = 0;
  bool exact = true;
};

// Reads a cell text written with the given decimal separator: an optional
// sign, digits with at most one separator, an optional exponent ("E-5").
// Returns false for anything else.
bool parseCellDecimal(std::string_view text, char decimalSeparator, CellDecimal& out);

// The extended-precision number nearest to a parsed cell; the cell's text and
// separator serve the texts beyond the exact decimal. Throws ConversionError
// for a value out of range.
long double decimalValue(const CellDecimal& decimal, std::string_view text, char decimalSeparator);

// value × 10^exponent, rounded once for |exponent| <= 27.
long double timesPowerOfTen(long double value, int exponent);

// The extended-precision number nearest to a cell's text. Throws
// ConversionError ("'TEXT' is not a valid floating point value") for a text
// parseCellDecimal refuses and for one out of range.
long double readCellNumber(std::string_view text, char decimalSeparator);

// Appends the values of one grid column, from row 1 on, so that value i
// belongs to x = i. At a cell that is not a number it throws, with the values
// before that cell already appended.
void appendSeriesValues(const ChartGrid& grid, int column, char decimalSeparator, std::vector<double>& out);

}  // namespace kq
