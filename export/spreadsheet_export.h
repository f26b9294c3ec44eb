#pragma once

#include <cstddef>
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

// A full download takes tens of milliseconds to decode: from this many lines
// on, the second half of the lines is decoded on another thread.
inline constexpr std::size_t kExportLinesWorthAThread = 512;

// The whole file of a dump, or ConversionError (the first in dump order).
// The threshold is a parameter so that the fuzz target can split small dumps.
std::string spreadsheetFile(const Dump& dump, char decimalSeparator,
                            std::size_t linesWorthAThread = kExportLinesWorthAThread);

// Runs the pass and writes the file safely, only when the pass completed.
// Throws ConversionError or FileError; the target is then left as it was.
void exportSpreadsheetFile(const Dump& dump, char decimalSeparator, const std::string& path);

}  // namespace kq
