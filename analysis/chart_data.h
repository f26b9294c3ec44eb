#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dump/dump.h"

namespace kq {

// The chart grid as text: row 0 holds the titles, row r the r-th record shown.
// All cells live in one arena so that a full dump (about 600,000 cells) costs a
// few megabytes instead of one heap string per cell.
class ChartGrid {
 public:
  int rowCount() const { return rows_; }
  int columnCount() const { return columns_; }
  // Empty for a cell outside the grid.
  std::string_view cell(int row, int column) const;

  // Building, row by row: begin a row, then append exactly columnCount cells.
  explicit ChartGrid(int columns = 0) : columns_(columns) {}
  void beginRow() { ++rows_; }
  void appendCell(std::string_view text);
  // The text of the cell being written, for appending in place.
  std::string& arena() { return text_; }
  void endCell() { ends_.push_back(static_cast<std::uint32_t>(text_.size())); }
  void reserve(std::size_t rows, std::size_t bytesPerRow);

 private:
  int rows_ = 0;
  int columns_ = 0;
  std::string text_;
  std::vector<std::uint32_t> ends_;  // end of cell i (row-major) in text_
};

// Grid columns before the parameters: date, time, record number.
inline constexpr int kFrameColumns = 3;
inline constexpr int kDateColumn = 0;
inline constexpr int kTimeColumn = 1;
inline constexpr int kRecordNumberColumn = 2;

// What the chart window shows of a dump: the grid and the selector items. Item
// i names grid column kFrameColumns + i.
struct ChartData {
  int controllerType = 0;
  ChartGrid grid;
  std::vector<std::string> titles;
};

// Decodes a dump for the chart: titles into row 0, then one row per record up
// to the first record marked empty. A controller type without a parameter
// table gives the three frame columns only and no titles. Throws
// ConversionError for unreadable bytes; a dump without lines throws too
// (callers check for an empty dump first).
ChartData prepareChartData(const Dump& dump, char decimalSeparator);

}  // namespace kq
