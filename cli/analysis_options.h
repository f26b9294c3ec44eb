#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/dump_model.h"
#include "analysis/expression.h"
#include "cli/command.h"

namespace kq::cli {

// --filter EXPR and --channel NAME=EXPR, shared by stats and table.
struct AnalysisOptions {
  std::string filter;
  std::vector<ChannelDefinition> channels;
};

// "NAME=EXPR" split at the first "="; nothing without one.
std::optional<ChannelDefinition> channelDefinition(const std::string& text);

// Adds --filter and --channel (repeatable) to a command.
void addAnalysisOptions(Command& command, AnalysisOptions& options);

// Adds --channel alone (repeatable).
void addChannelOption(Command& command, std::vector<ChannelDefinition>& channels);

// A --filter or --channel that cannot be used, its message for the user
// ("--filter: позиция N: …", "канал «X»: позиция N: …").
class AnalysisError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The dump file decoded, the channels added and the records the filter keeps
// (empty: all). Throws AnalysisError, and the file's and decoding's errors.
DumpModel analysedModel(const std::string& dumpFile, char decimalSeparator, const AnalysisOptions& options,
                        std::vector<char>& kept);

// Runs a command's work and returns its status: an AnalysisError is reported
// as "kq-cli COMMAND: MESSAGE", any other error as reportFailure says; both
// give status 1.
int runReporting(const char* command, const std::function<int()>& work);

// Writes text to standard output; 0, or 1 after saying it could not.
int writeToStandardOutput(const char* command, const std::string& text);

}  // namespace kq::cli
