#include "export/spreadsheet_export.h"

#include "decode/number_text.h"
#include "decode/parameter_table.h"
#include "decode/record_view.h"
#include "dump/safe_file.h"
#include "export/cp1251.h"

namespace kq {
namespace {

std::string headerLine(ParameterTable table) {
  std::string line = "Дата;Время;Номер записи;";
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (i != 0) line += ';';
    line += table[i].title;
  }
  return line;
}

// Fills row with one record's fields; all values are read before the caller
// looks at the empty mark, so a bad byte in an empty record still stops.
void buildRow(std::string& row, const RecordView& record, ParameterTable table, char separator) {
  row.clear();
  row += record.date();
  row += ';';
  row += record.time();
  row += ';';
  appendInteger(row, record.recordNumber());
  row += ';';
  for (const auto& column : table) {
    appendNumber(row, column.value(record), separator);
    row += ';';
  }
}

}  // namespace

void exportRows(const Dump& dump, char decimalSeparator, const LineSink& sink) {
  const int controllerType = readControllerType(dump);
  const ParameterTable table = parameterTable(controllerType);
  if (!table.empty()) sink(headerLine(table));

  std::string row;
  const std::size_t lineCount = dump.size();
  for (std::size_t i = 0; i < lineCount; ++i) {
    for (int recordIndex = 1; recordIndex <= 2; ++recordIndex) {
      RecordView record(dump.line(i), recordIndex);
      buildRow(row, record, table, decimalSeparator);
      if (!record.isEmpty()) sink(row);
    }
  }
}

std::string encodeSpreadsheetFile(const std::vector<std::string>& lines) {
  std::size_t total = 0;
  for (const auto& l : lines) total += l.size() + 2;
  std::string text;
  text.reserve(total);
  for (const auto& l : lines) {
    text += l;
    text += "\r\n";
  }
  return encodeCp1251(text);
}

void exportSpreadsheetFile(const Dump& dump, char decimalSeparator, const std::string& path) {
  std::vector<std::string> lines;
  lines.reserve(dump.size() * 2 + 1);
  exportRows(dump, decimalSeparator, [&lines](std::string_view line) { lines.emplace_back(line); });
  writeFileSafely(path, encodeSpreadsheetFile(lines));
}

}  // namespace kq
