#pragma once

#include <string_view>
#include <vector>

#include "chart/chart_data.h"

namespace kq {

// Reads a cell text as a number written with the given decimal separator:
// an optional sign, digits with at most one separator, an optional exponent
// ("E-5"). Throws ConversionError ("'TEXT' is not a valid floating point
// value") for anything else.
long double readCellNumber(std::string_view text, char decimalSeparator);

// The plotted value of a cell: the nearest integer, ties to even.
double plotValue(long double value);

// Appends the plotted values of one grid column, from row 1 on, so that value
// i belongs to x = i. At a cell that is not a number it throws, with the
// values before that cell already appended.
void appendSeriesValues(const ChartGrid& grid, int column, char decimalSeparator, std::vector<double>& out);

}  // namespace kq
