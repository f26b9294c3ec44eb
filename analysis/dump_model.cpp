#include "analysis/dump_model.h"

#include <array>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <stdexcept>

#include "analysis/value_cache.h"
#include "decode/number_text.h"
#include "decode/parameter_table.h"
#include "decode/record_view.h"

namespace kq {
namespace {
constexpr std::string_view kFrameTitles[] = {"Дата", "Время", "Номер записи"};
// Powers of ten up to 10^27 (2^27 × 5^27, with 5^27 < 2^64) are exact in
// extended precision, so one multiplication or division rounds correctly.
constexpr int kMaxExactPower = 27;

constexpr std::array<long double, kMaxExactPower + 1> makePowersOfTen() {
  std::array<long double, kMaxExactPower + 1> p{};
  p[0] = 1;
  for (int i = 1; i <= kMaxExactPower; ++i) p[i] = p[i - 1] * 10;
  return p;
}
constexpr auto kPowersOfTen = makePowersOfTen();

const std::vector<long double>& noValues() {
  static const std::vector<long double> none;
  return none;
}
}  // namespace

long double shownValue(long double decoded) {
  if (!std::isfinite(decoded)) return std::numeric_limits<long double>::quiet_NaN();
  const NumberDigits number = numberDigits(decoded);
  long double value;
  if (number.exponent == 0) {
    value = static_cast<long double>(number.digits);
  } else if (number.exponent > 0 && number.exponent <= kMaxExactPower) {
    value = static_cast<long double>(number.digits) * kPowersOfTen[number.exponent];
  } else if (number.exponent < 0 && number.exponent >= -kMaxExactPower) {
    value = static_cast<long double>(number.digits) / kPowersOfTen[-number.exponent];
  } else {
    // Far from any logged value: the C library reads the text correctly rounded.
    char text[kMaxNumberText + 1];
    *writeDigits(text, {false, number.digits, number.exponent}, *std::localeconv()->decimal_point) = '\0';
    value = std::strtold(text, nullptr);
  }
  return number.negative ? -value : value;
}

const std::string& DumpModel::title(int column) const {
  if (column < kFrameColumns) {
    static const std::string frame[] = {std::string(kFrameTitles[0]), std::string(kFrameTitles[1]),
                                        std::string(kFrameTitles[2])};
    return frame[column];
  }
  return titles_[column - kFrameColumns];
}

const std::vector<long double>& DumpModel::values(int column) const {
  if (column == kRecordNumberColumn) return numbers_;
  if (column < kFrameColumns || column >= columnCount()) return noValues();
  return columns_[column - kFrameColumns];
}

std::span<const PackedDigits> DumpModel::shownDigits(int column) const {
  const int index = column - kFrameColumns;
  if (index < 0 || index >= int(digits_.size())) return {};
  return digits_[index];
}

std::string DumpModel::cell(int row, int column) const {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return {};
  if (row == 0) return title(column);
  if (column == kDateColumn) return dates_[row - 1];
  if (column == kTimeColumn) return times_[row - 1];
  const long double value = values(column)[row - 1];
  if (std::isnan(value)) return {};
  std::string text;
  appendNumber(text, value, separator_);
  return text;
}

std::optional<int> DumpModel::columnOf(std::string_view title) const {
  const auto found = titleIndex_.find(title);
  if (found == titleIndex_.end()) return std::nullopt;
  return kFrameColumns + found->second;
}

void DumpModel::indexTitles() {
  titleIndex_.clear();
  for (std::size_t i = 0; i < titles_.size(); ++i) titleIndex_.try_emplace(titles_[i], int(i));
}

void DumpModel::addColumn(std::string title) {
  titleIndex_.try_emplace(title, int(titles_.size()));
  titles_.push_back(std::move(title));
  columns_.emplace_back();
  decoded_ = int(columns_.size());
  digits_.clear();
}

void DumpModel::reserve(std::size_t records) {
  dates_.reserve(records);
  times_.reserve(records);
  numbers_.reserve(records);
  for (auto& column : columns_) column.reserve(records);
}

void DumpModel::appendRecord(std::string_view date, std::string_view time, long double number,
                             const std::vector<long double>& values) {
  dates_.emplace_back(date);
  times_.emplace_back(time);
  numbers_.push_back(number);
  for (int i = 0; i < decoded_; ++i) columns_[i].push_back(values[i]);
  digits_.clear();
}

void DumpModel::keepShownDigits() {
  digits_.assign(decoded_, {});
  // One cache for all columns: the digits are those of the value alone.
  ValueCache<PackedDigits, packedDigits> digitsOf;
  for (int i = 0; i < decoded_; ++i) {
    // Column by column, each read and written in order; neighbouring records
    // often repeat a value.
    const long double* values = columns_[i].data();
    const std::size_t count = columns_[i].size();
    std::vector<PackedDigits>& digits = digits_[i];
    digits.reserve(count);
    for (std::size_t r = 0; r < count; ++r)
      digits.push_back(r > 0 && values[r] == values[r - 1] ? digits.back() : digitsOf(values[r]));
  }
}

void DumpModel::appendRecordsOf(DumpModel&& later) {
  if (later.titles_ != titles_ || decoded_ != int(columns_.size()))
    throw std::invalid_argument("the models' columns differ");
  const bool digits = !digits_.empty() && !later.digits_.empty();
  const auto appendAll = [](auto& to, auto& from) {
    to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
  };
  appendAll(dates_, later.dates_);
  appendAll(times_, later.times_);
  appendAll(numbers_, later.numbers_);
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    appendAll(columns_[i], later.columns_[i]);
    if (digits) appendAll(digits_[i], later.digits_[i]);
  }
  if (!digits) digits_.clear();
}

void DumpModel::addDerived(std::string title, std::vector<long double> values) {
  values.resize(numbers_.size(), std::numeric_limits<long double>::quiet_NaN());
  titleIndex_.try_emplace(title, int(titles_.size()));
  titles_.push_back(std::move(title));
  columns_.push_back(std::move(values));
}

void DumpModel::replaceDerived(int column, std::string title, std::vector<long double> values) {
  const int index = column - kFrameColumns;
  if (index < decoded_ || index >= int(columns_.size())) throw std::out_of_range("no derived channel there");
  values.resize(numbers_.size(), std::numeric_limits<long double>::quiet_NaN());
  titles_[index] = std::move(title);
  columns_[index] = std::move(values);
  indexTitles();
}

void DumpModel::removeDerived(int column) {
  const int index = column - kFrameColumns;
  if (index < decoded_ || index >= int(columns_.size())) throw std::out_of_range("no derived channel there");
  titles_.erase(titles_.begin() + index);
  columns_.erase(columns_.begin() + index);
  indexTitles();  // the items after it move up
}

void DumpModel::removeAllDerived() {
  titles_.resize(decoded_);
  columns_.resize(decoded_);
  indexTitles();
}

DumpModel buildDumpModel(const Dump& dump, char decimalSeparator, std::optional<int> controllerType) {
  DumpModel model(decimalSeparator);
  model.setControllerType(controllerType ? *controllerType : readControllerType(dump));
  ParameterTable table = parameterTable(model.controllerType());
  for (const ParameterColumn& column : table) model.addColumn(std::string(column.title));
  model.reserve(2 * dump.size());

  std::vector<long double> values(table.size());
  std::vector<ValueCache<long double, shownValue>> shown(table.size());
  for (const std::string& line : dump.lines()) {
    for (int record = 1; record <= 2; ++record) {
      RecordView view(line, record);
      if (view.isEmpty()) {
        model.keepShownDigits();
        return model;
      }
      // The export's order, so that an unreadable record fails on the same field.
      const std::string date = view.date();
      const std::string time = view.time();
      const int number = view.recordNumber();
      for (std::size_t i = 0; i < table.size(); ++i) values[i] = shown[i](table[i].value(view));
      model.appendRecord(date, time, number, values);
    }
  }
  model.keepShownDigits();
  return model;
}

}  // namespace kq

namespace kq {

std::vector<double> plotValues(const DumpModel& model, int column, std::span<const char> kept) {
  const std::vector<long double>& values = model.values(column);
  std::vector<double> points(values.size());
  for (std::size_t i = 0; i < values.size(); ++i)
    points[i] = kept.empty() || (i < kept.size() && kept[i]) ? static_cast<double>(values[i])
                                                             : std::numeric_limits<double>::quiet_NaN();
  return points;
}

}  // namespace kq
