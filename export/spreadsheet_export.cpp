#include "export/spreadsheet_export.h"

#include <algorithm>
#include <exception>
#include <thread>

#include "base/safe_file.h"
#include "decode/number_text.h"
#include "decode/parameter_table.h"
#include "decode/record_view.h"
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

// Writes one record's fields into row (room for rowCapacity(table)) and
// returns the end. All values are read before the caller looks at the empty
// mark, so a bad byte in an empty record still stops the pass.
char* writeRow(char* row, const RecordView& record, ParameterTable table, char separator) {
  auto copyPair = [&row, &record](int offset) {
    std::string_view pair = record.hexPair(offset);
    row = std::copy(pair.begin(), pair.end(), row);
  };
  copyPair(1);
  *row++ = '.';
  copyPair(0);
  *row++ = ';';
  copyPair(4);
  *row++ = ':';
  copyPair(3);
  *row++ = ':';
  copyPair(2);
  *row++ = ';';
  row = writeInteger(row, record.recordNumber());
  *row++ = ';';
  for (const auto& column : table) {
    row = writeNumber(row, column.value(record), separator);
    *row++ = ';';
  }
  return row;
}

std::size_t rowCapacity(ParameterTable table) { return 64 + table.size() * (kMaxNumberText + 1); }

void appendFileLine(std::string& file, std::string_view line) {
  appendCp1251(file, line);
  file += "\r\n";
}

// The rows of lines [begin, end), in order, each handed to the sink.
void exportRange(const Dump& dump, std::size_t begin, std::size_t end, ParameterTable table, char separator,
                 const LineSink& sink) {
  std::vector<char> row(rowCapacity(table));
  for (std::size_t i = begin; i < end; ++i) {
    for (int recordIndex = 1; recordIndex <= 2; ++recordIndex) {
      RecordView record(dump.line(i), recordIndex);
      char* rowEnd = writeRow(row.data(), record, table, separator);
      if (!record.isEmpty())
        sink(std::string_view(row.data(), static_cast<std::size_t>(rowEnd - row.data())));
    }
  }
}

}  // namespace

void exportRows(const Dump& dump, char decimalSeparator, const LineSink& sink) {
  const ParameterTable table = parameterTable(readControllerType(dump));
  if (!table.empty()) sink(headerLine(table));
  exportRange(dump, 0, dump.size(), table, decimalSeparator, sink);
}

std::string encodeSpreadsheetFile(const std::vector<std::string>& lines) {
  std::string file;
  for (const auto& l : lines) appendFileLine(file, l);
  return file;
}

std::string spreadsheetFile(const Dump& dump, char decimalSeparator, std::size_t linesWorthAThread) {
  const ParameterTable table = parameterTable(readControllerType(dump));
  std::string file;
  if (!table.empty()) appendFileLine(file, headerLine(table));

  // Both halves must succeed; the first failure in dump order is reported.
  const std::size_t lineCount = dump.size();
  const std::size_t middle = lineCount >= linesWorthAThread ? lineCount / 2 : lineCount;
  std::string secondHalf;
  std::exception_ptr secondFailure;
  std::thread worker;
  if (middle < lineCount) {
    worker = std::thread([&] {
      try {
        secondHalf.reserve((lineCount - middle) * 2 * rowCapacity(table) / 4);
        exportRange(dump, middle, lineCount, table, decimalSeparator,
                    [&secondHalf](std::string_view line) { appendFileLine(secondHalf, line); });
      } catch (...) {
        secondFailure = std::current_exception();
      }
    });
  }
  try {
    file.reserve(file.size() + lineCount * 2 * rowCapacity(table) / 4);
    exportRange(dump, 0, middle, table, decimalSeparator,
                [&file](std::string_view line) { appendFileLine(file, line); });
  } catch (...) {
    if (worker.joinable()) worker.join();
    throw;
  }
  if (worker.joinable()) worker.join();
  if (secondFailure) std::rethrow_exception(secondFailure);
  file += secondHalf;
  return file;
}

void exportSpreadsheetFile(const Dump& dump, char decimalSeparator, const std::string& path) {
  writeFileSafely(path, spreadsheetFile(dump, decimalSeparator));
}

}  // namespace kq
