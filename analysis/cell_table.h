#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/column_statistics.h"
#include "analysis/dump_model.h"

namespace kq {

enum class CellStatistic { count, mean, minimum, maximum };

// Where a parameter spent its time: every kept record with values of X, Y and
// Z goes to the cell of the X breakpoint and the Y breakpoint nearest to its
// X and Y values (exactly halfway between two: the lower one); a cell holds
// the count, mean, minimum or maximum of its records' Z values.
struct CellTable {
  std::vector<long double> xBreaks;     // ascending
  std::vector<long double> yBreaks;     // ascending
  std::vector<ValueAccumulator> cells;  // row by row: cell (x, y) at y * xBreaks.size() + x

  const ValueAccumulator& at(std::size_t x, std::size_t y) const { return cells[y * xBreaks.size() + x]; }
  // The cell's statistic; nothing where no record fell.
  std::optional<long double> value(std::size_t x, std::size_t y, CellStatistic statistic) const;
};

// The index of the breakpoint nearest to value, a tie going to the lower one.
// Breakpoints ascending, at least one. Ties are decided on the decimals the
// values show, exactly.
std::size_t nearestBreak(const std::vector<long double>& breaks, long double value);

// count breakpoints evenly from the smallest to the largest value of a column
// among the kept records (each as its number text shows it); one breakpoint
// when all are equal, none when no record has a value.
std::vector<long double> evenBreaks(const DumpModel& model, int column, RecordSelection kept, int count = 8);

// The most breakpoints an axis takes: a controller's map axis has at most 32;
// the cells of two longer axes would fill the memory.
inline constexpr std::size_t kMaxBreaks = 256;

// Breakpoints typed or pasted: numbers separated by blanks, tabs, line breaks
// or ";". A point is always a decimal mark; a comma is one too when the
// decimal separator is a comma, and separates numbers otherwise. Taken in
// ascending order, repeats dropped. Throws std::invalid_argument naming the
// text that is not a number, or saying that there are more than kMaxBreaks.
std::vector<long double> parseBreaks(std::string_view text, char decimalSeparator);

// Empty breakpoints take evenBreaks of their column.
CellTable makeCellTable(const DumpModel& model, int xColumn, int yColumn, int zColumn,
                        std::vector<long double> xBreaks, std::vector<long double> yBreaks,
                        RecordSelection kept = {});

// The positions of the kept records that fall into cell (x, y).
std::vector<int> cellRecords(const DumpModel& model, const CellTable& table, int xColumn, int yColumn,
                             int zColumn, std::size_t x, std::size_t y, RecordSelection kept = {});

// The table as text: ";X1;X2;…", then "Yk;v1;v2;…" per Y breakpoint, an empty
// field where no record fell; fields separated by `separator`, numbers in the
// model's number text.
std::string cellTableText(const CellTable& table, CellStatistic statistic, char decimalSeparator,
                          char fieldSeparator = ';');

// Drives compared: cell by cell, the statistic of `table` less that of
// `reference` over the same breakpoints; nothing where either has no record.
std::optional<long double> cellDifference(const CellTable& table, const CellTable& reference, std::size_t x,
                                          std::size_t y, CellStatistic statistic);
// The text of those differences, laid out as cellTableText.
std::string cellDifferenceText(const CellTable& table, const CellTable& reference, CellStatistic statistic,
                               char decimalSeparator, char fieldSeparator = ';');

// "count", "mean", "min", "max".
std::optional<CellStatistic> cellStatisticNamed(std::string_view name);

}  // namespace kq
