#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dump/dump.h"

namespace kq {

// Receives the output lines one by one (UTF-8, no line end).
using LineSink = std::function<void(std::string_view line)>;

// The spreadsheet pass over a dump: the header line (controller types 1 to 7
// only), then one row per record not marked empty, every field followed by
// ";". Throws ConversionError at the first value that cannot be read; the
// lines handed to the sink before it stay handed.
void exportRows(const Dump& dump, char decimalSeparator, const LineSink& sink);

// The file form of the lines: code page 1251, CR LF after every line.
std::string encodeSpreadsheetFile(const std::vector<std::string>& lines);

// The whole file of a dump, or ConversionError.
std::string spreadsheetFile(const Dump& dump, char decimalSeparator);

// Runs the pass and writes the file safely, only when the pass completed.
// Throws ConversionError or FileError; the target is then left as it was.
void exportSpreadsheetFile(const Dump& dump, char decimalSeparator, const std::string& path);

}  // namespace kq
