#include "cli/analysis_options.h"

#include <stdexcept>

#include "dump/dump_file.h"

namespace kq::cli {

const char* const kAnalysisOptionsHelp =
    "  --filter EXPR          only the records for which EXPR is true (not 0);\n"
    "                         parameters by their titles in square brackets,\n"
    "                         [TITLE@-1] the previous record's value, numbers\n"
    "                         with a point: '[Обороты двигателя] > 3000 && [Нагрузка на двигатель] > 80'\n"
    "  --channel NAME=EXPR    a derived channel, after the parameters (repeatable;\n"
    "                         a channel may name the channels before it)\n";

std::optional<ChannelDefinition> channelDefinition(const std::string& text) {
  const auto equals = text.find('=');
  if (equals == std::string::npos) return std::nullopt;
  return ChannelDefinition{text.substr(0, equals), text.substr(equals + 1)};
}

DumpModel analysedModel(const std::string& dumpFile, char decimalSeparator, const AnalysisOptions& options,
                        std::vector<char>& kept) {
  Dump dump;
  loadDumpFile(dumpFile, dump);
  if (dump.empty()) return DumpModel(decimalSeparator);
  DumpModel model = buildDumpModel(dump, decimalSeparator);
  addChannels(model, options.channels);
  kept.clear();
  if (!options.filter.empty()) {
    try {
      kept = Expression(options.filter, model.titles()).keep(model);
    } catch (const ExpressionError& error) {
      throw std::runtime_error(std::string("--filter: ") + error.what());
    }
  }
  return model;
}

}  // namespace kq::cli
