#pragma once

#include <string>

#include "cli/command.h"
#include "cli/record_range.h"

namespace kq::cli {

// Options several commands take, each defined once.

// A required argument such as DUMP or OUTPUT.
CLI::Option* addArgument(Command& command, const char* name, std::string& value, const char* help);

// --decimal-separator=C; `separator` stays 0 when the regional settings decide.
void addDecimalSeparator(Command& command, char& separator);

// --from N and --to N, chart positions.
void addRecordRange(Command& command, RecordRange& range);

}  // namespace kq::cli
