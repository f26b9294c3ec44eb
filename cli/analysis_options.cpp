#include "cli/analysis_options.h"

#include <cstdio>
#include <stdexcept>

#include "cli/failure_text.h"
#include "dump/dump_file.h"

namespace kq::cli {

std::optional<ChannelDefinition> channelDefinition(const std::string& text) {
  const auto equals = text.find('=');
  if (equals == std::string::npos) return std::nullopt;
  return ChannelDefinition{text.substr(0, equals), text.substr(equals + 1)};
}

void addAnalysisOptions(Command& command, AnalysisOptions& options) {
  command.onMisuse(command.app()
                       .add_option("--filter", options.filter,
                                   "only the records for which EXPR is true (not 0): parameters by their "
                                   "titles in square brackets, [TITLE@-1] the previous record's value, "
                                   "numbers with a point, e.g. '[Обороты двигателя] > 3000 && "
                                   "[Нагрузка на двигатель] > 80'")
                       ->type_name("EXPR"),
                   "--filter takes an expression");
  addChannelOption(command, options.channels);
}

void addChannelOption(Command& command, std::vector<ChannelDefinition>& channels) {
  command.onMisuse(command.app()
                       .add_option_function<std::string>(
                           "--channel",
                           [&channels](const std::string& text) {
                             auto channel = channelDefinition(text);
                             if (!channel) throw CLI::ValidationError("--channel", text);
                             channels.push_back(*channel);
                           },
                           "a derived channel NAME computed by EXPR, after the parameters (repeatable; a "
                           "channel may name the channels before it)")
                       ->type_name("NAME=EXPR")
                       ->trigger_on_parse(),
                   "--channel takes NAME=EXPR");
}

DumpModel analysedModel(const std::string& dumpFile, char decimalSeparator, const AnalysisOptions& options,
                        std::vector<char>& kept) {
  Dump dump;
  loadDumpFile(dumpFile, dump);
  if (dump.empty()) return DumpModel(decimalSeparator);
  DumpModel model = buildDumpModel(dump, decimalSeparator);
  try {
    addChannels(model, options.channels);
  } catch (const std::runtime_error& error) {
    throw AnalysisError(error.what());
  }
  kept.clear();
  if (!options.filter.empty()) {
    try {
      kept = Expression(options.filter, model).keep(model);
    } catch (const ExpressionError& error) {
      throw AnalysisError(std::string("--filter: ") + error.what());
    }
  }
  return model;
}

int runReporting(const char* command, const std::function<int()>& work) {
  try {
    return work();
  } catch (const AnalysisError& e) {
    std::fprintf(stderr, "kq-cli %s: %s\n", command, e.what());
  } catch (const std::exception& e) {
    reportFailure(command, e);
  }
  return 1;
}

int writeToStandardOutput(const char* command, const std::string& text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0) return 0;
  std::fprintf(stderr, "kq-cli %s: cannot write to standard output\n", command);
  return 1;
}

}  // namespace kq::cli
