#include "cli/analysis_options.h"

#include <stdexcept>

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
  command.onMisuse(command.app()
                       .add_option_function<std::string>(
                           "--channel",
                           [&options](const std::string& text) {
                             auto channel = channelDefinition(text);
                             if (!channel) throw CLI::ValidationError("--channel", text);
                             options.channels.push_back(*channel);
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
      kept = Expression(options.filter, model.titles()).keep(model);
    } catch (const ExpressionError& error) {
      throw AnalysisError(std::string("--filter: ") + error.what());
    }
  }
  return model;
}

}  // namespace kq::cli
