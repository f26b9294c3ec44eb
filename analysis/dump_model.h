#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/packed_digits.h"
#include "dump/dump.h"

namespace kq {

// Grid columns before the parameters: date, time, record number.
inline constexpr int kFrameColumns = 3;
inline constexpr int kDateColumn = 0;
inline constexpr int kTimeColumn = 1;
inline constexpr int kRecordNumberColumn = 2;

// A value exactly as its number text shows it: the extended number nearest to
// the text of at most 15 significant digits that the grid and the export
// print. What is plotted, summed and compared is then what the grid shows.
// Not finite: no value (NaN).
long double shownValue(long double decoded);

// The numeric model of a dump: per record its date, time and record number,
// per parameter a column of values decoded once, then the derived channels.
// Columns are numbered as the chart grid shows them: the three frame columns,
// then item i of the selectors at column kFrameColumns + i. Row 0 of the grid
// is the titles, row r the record at position r - 1.
class DumpModel {
 public:
  explicit DumpModel(char decimalSeparator = '.') : separator_(decimalSeparator) {}

  int controllerType() const { return controllerType_; }
  char decimalSeparator() const { return separator_; }
  int recordCount() const { return int(numbers_.size()); }
  int rowCount() const { return recordCount() + 1; }
  int columnCount() const { return kFrameColumns + int(titles_.size()); }
  // Columns decoded from the dump, derived channels after them.
  int decodedCount() const { return decoded_; }
  // The selector items: every column's title after the frame columns.
  const std::vector<std::string>& titles() const { return titles_; }
  const std::string& title(int column) const;
  // The grid column of the first item with this title, or nothing; found
  // through an index, so that a model of many channels is built in linear time.
  std::optional<int> columnOf(std::string_view title) const;

  std::string_view date(int position) const { return dates_[position]; }
  std::string_view time(int position) const { return times_[position]; }
  // The values of a column from the record number on (NaN where none); an
  // empty column for the date and time.
  const std::vector<long double>& values(int column) const;
  // The shown digits of a decoded column's values, one per record, when the
  // model keeps them (keepShownDigits); empty otherwise, and for the frame and
  // derived columns.
  std::span<const PackedDigits> shownDigits(int column) const;
  // The grid's text: titles in row 0, number text with the model's separator
  // (empty where there is no value, or outside the grid).
  std::string cell(int row, int column) const;

  // Building.
  void setControllerType(int type) { controllerType_ = type; }
  void addColumn(std::string title);
  void appendRecord(std::string_view date, std::string_view time, long double number,
                    const std::vector<long double>& values);
  void reserve(std::size_t records);
  // Works out the shown digits of every decoded value once, so that statistics
  // only add them up; a record or a column added afterwards drops them.
  void keepShownDigits();
  // Appends the records of a model of the same decoded columns and no derived
  // ones, such as one decoded from later records on another thread; their
  // shown digits come along when both models keep them.
  void appendRecordsOf(DumpModel&& later);
  // Derived channels: appended after the decoded columns; replaced or removed
  // by their grid column.
  void addDerived(std::string title, std::vector<long double> values);
  void replaceDerived(int column, std::string title, std::vector<long double> values);
  void removeDerived(int column);
  void removeAllDerived();

 private:
  // Heterogeneous lookup: a title is found by its string_view without a copy.
  struct TitleHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  void indexTitles();

  char separator_;
  int controllerType_ = 0;
  int decoded_ = 0;
  std::vector<std::string> dates_;
  std::vector<std::string> times_;
  std::vector<long double> numbers_;
  std::vector<std::string> titles_;
  std::vector<std::vector<long double>> columns_;
  std::vector<std::vector<PackedDigits>> digits_;  // per decoded column, when kept
  // The first item of each title.
  std::unordered_map<std::string, int, TitleHash, std::equal_to<>> titleIndex_;
};

// Decodes a dump once: one record after another up to the first record
// marked empty, every parameter of the controller type's table. A controller
// type without a table gives the frame columns only. Throws ConversionError
// for unreadable bytes; a dump without lines throws too (callers check for an
// empty dump first). With a controller type, every record is decoded with that
// type's table whatever the first record holds (a car's history knows its type).
DumpModel buildDumpModel(const Dump& dump, char decimalSeparator, std::optional<int> controllerType = {});

// The grid column of the first parameter with this title, or nothing.
inline std::optional<int> columnOfTitle(const DumpModel& model, std::string_view title) {
  return model.columnOf(title);
}

}  // namespace kq

namespace kq {

// What a series plots of a column: value i at x = i, NaN (a gap) where the
// record has no value or is not kept (kept empty: all are).
std::vector<double> plotValues(const DumpModel& model, int column, std::span<const char> kept = {});

}  // namespace kq
