#include "analysis/chart_data.h"

#include "decode/number_text.h"
#include "decode/parameter_table.h"
#include "decode/record_view.h"

namespace kq {
namespace {
constexpr std::string_view kFrameTitles[] = {"Дата", "Время", "Номер записи"};
// Typical text of one record row: date, time, number and about 8 characters a value.
constexpr std::size_t kBytesPerFrame = 20;
constexpr std::size_t kBytesPerValue = 8;
}  // namespace

std::string_view ChartGrid::cell(int row, int column) const {
  if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return {};
  std::size_t index = static_cast<std::size_t>(row) * columns_ + column;
  std::uint32_t begin = index == 0 ? 0 : ends_[index - 1];
  return std::string_view(text_).substr(begin, ends_[index] - begin);
}

void ChartGrid::appendCell(std::string_view text) {
  text_.append(text);
  endCell();
}

void ChartGrid::reserve(std::size_t rows, std::size_t bytesPerRow) {
  text_.reserve(rows * bytesPerRow);
  ends_.reserve(rows * columns_);
}

ChartData prepareChartData(const Dump& dump, char decimalSeparator) {
  ChartData data;
  data.controllerType = readControllerType(dump);
  ParameterTable table = parameterTable(data.controllerType);

  data.grid = ChartGrid(kFrameColumns + static_cast<int>(table.size()));
  data.grid.reserve(2 * dump.size() + 1, kBytesPerFrame + kBytesPerValue * table.size());
  data.grid.beginRow();
  for (std::string_view title : kFrameTitles) data.grid.appendCell(title);
  data.titles.reserve(table.size());
  for (const ParameterColumn& column : table) {
    data.grid.appendCell(column.title);
    data.titles.emplace_back(column.title);
  }

  // A failure throws the whole grid away, so a half-written row never shows.
  std::string& text = data.grid.arena();
  for (const std::string& line : dump.lines()) {
    for (int record = 1; record <= 2; ++record) {
      RecordView view(line, record);
      if (view.isEmpty()) return data;
      data.grid.beginRow();
      data.grid.appendCell(view.date());
      data.grid.appendCell(view.time());
      appendInteger(text, view.recordNumber());
      data.grid.endCell();
      for (const ParameterColumn& column : table) {
        appendNumber(text, column.value(view), decimalSeparator);
        data.grid.endCell();
      }
    }
  }
  return data;
}

}  // namespace kq
