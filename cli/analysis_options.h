#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/dump_model.h"
#include "analysis/expression.h"

namespace kq::cli {

// --filter EXPR and --channel NAME=EXPR, shared by stats and table.
struct AnalysisOptions {
  std::string filter;
  std::vector<ChannelDefinition> channels;
};

// "NAME=EXPR" split at the first "="; nothing without one.
std::optional<ChannelDefinition> channelDefinition(const std::string& text);

// The help lines of both options.
extern const char* const kAnalysisOptionsHelp;

// The dump file decoded, the channels added and the records the filter keeps
// (empty: all). Throws std::runtime_error with the message for the user
// (a file error, a conversion error, "--filter: позиция N: …", "канал «X»: …").
DumpModel analysedModel(const std::string& dumpFile, char decimalSeparator, const AnalysisOptions& options,
                        std::vector<char>& kept);

}  // namespace kq::cli
