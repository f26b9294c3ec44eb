// Any bytes as a dump file: split into lines, exported line by line and in
// two threaded halves, and decoded into the chart's numeric model. Every
// path must end in a result or a readable conversion message, and the paths
// must agree with each other. A broken invariant aborts, which libFuzzer
// reports with the input.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/dump_model.h"
#include "decode/conversion_error.h"
#include "decode/number_text.h"
#include "dump/dump.h"
#include "export/spreadsheet_export.h"
#include "fuzz/require.h"

namespace {

using kq::ConversionError;
using kq::Dump;
using kq::DumpModel;

using kq::fuzz::require;

// Whole and printable: a NUL would cut what(), a raw byte would garble it.
void requireReadable(const ConversionError& error) {
  const std::string_view message = error.what();
  for (const char c : message) require(c >= 0x20 && c < 0x7F, "a message shows only printable ASCII");
  require(message.ends_with(" is not a valid integer value"), "a message is never cut");
}

struct LineByLine {
  std::vector<std::string> lines;
  std::string failure;
};

// A data row is made of hex digits (date, time), numbers and separators only.
bool isRowText(std::string_view row, char separator) {
  for (const char c : row) {
    if (!std::isxdigit(static_cast<unsigned char>(c)) && c != '.' && c != ':' && c != ';' && c != '-' &&
        c != separator)
      return false;
  }
  return true;
}

LineByLine exportLineByLine(const Dump& dump, char separator) {
  LineByLine out;
  try {
    kq::exportRows(dump, separator, [&out](std::string_view line) { out.lines.emplace_back(line); });
  } catch (const ConversionError& error) {
    requireReadable(error);
    out.failure = error.what();
  }
  const std::size_t header = !out.lines.empty() && out.lines[0].starts_with("Дата;") ? 1 : 0;
  for (std::size_t i = header; i < out.lines.size(); ++i)
    require(isRowText(out.lines[i], separator), "a row holds only digits and separators");
  return out;
}

void checkThreadedFileAgrees(const Dump& dump, char separator, const LineByLine& reference) {
  // A threshold of two lines splits every dump that has two halves.
  std::string failure;
  std::string file;
  try {
    file = kq::spreadsheetFile(dump, separator, 2);
  } catch (const ConversionError& error) {
    failure = error.what();
  }
  require(failure == reference.failure, "both export forms fail with the same message");
  if (failure.empty()) require(file == kq::encodeSpreadsheetFile(reference.lines), "both export forms agree");
}

std::string joinedRow(const DumpModel& grid, int row, bool closingSeparator) {
  std::string text;
  for (int column = 0; column < grid.columnCount(); ++column) {
    if (column != 0) text += ';';
    text += grid.cell(row, column);
  }
  if (closingSeparator) text += ';';
  return text;
}

// The chart stops at the first empty record, the export skips it; up to there
// both decode the same records in the same order.
void checkChartAgreesWithExport(const DumpModel& grid, const LineByLine& exported) {
  const std::size_t header = grid.decodedCount() == 0 ? 0 : 1;
  require(exported.lines.size() >= header + static_cast<std::size_t>(grid.rowCount() - 1),
          "the export has every row the chart has");
  if (header != 0) require(exported.lines[0] == joinedRow(grid, 0, false), "same titles");
  for (int row = 1; row < grid.rowCount(); ++row)
    require(exported.lines[header + static_cast<std::size_t>(row) - 1] == joinedRow(grid, row, true),
            "same row");
}

// Every shown value prints as its cell and is the value that text means.
void checkShownValues(const DumpModel& model) {
  std::string reprinted;
  for (int column = 3; column < model.columnCount(); ++column) {
    const std::vector<long double>& values = model.values(column);
    require(values.size() == static_cast<std::size_t>(model.recordCount()), "one value a record");
    for (long double value : values) {
      require(kq::shownValue(value) == value, "a shown value is its own text's value");
      reprinted.clear();
      kq::appendNumber(reprinted, value, model.decimalSeparator());
      require(reprinted.size() < kq::kMaxNumberText, "a value prints within the longest text");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const char separator = size % 2 == 0 ? '.' : ',';

  const Dump dump(kq::splitLines(text));
  for (const std::string& line : dump.lines())
    require(line.find_first_of("\r\n") == std::string::npos, "a line holds no line end");
  require(kq::splitLines(dump.text()) == dump.lines(), "a saved dump loads back to the same lines");

  const LineByLine exported = exportLineByLine(dump, separator);
  // Under AddressSanitizer a thread costs three times the rest of a run; one
  // input size in three still checks the threaded form hundreds of times a
  // second, with either separator.
  if (size % 3 == 0) checkThreadedFileAgrees(dump, separator, exported);

  if (dump.empty()) return 0;  // the chart's callers check this first
  DumpModel chart;
  try {
    chart = kq::buildDumpModel(dump, separator);
  } catch (const ConversionError& error) {
    requireReadable(error);
    require(exported.failure == error.what(), "the chart fails where the export fails");
    return 0;
  }
  checkChartAgreesWithExport(chart, exported);
  checkShownValues(chart);
  return 0;
}
