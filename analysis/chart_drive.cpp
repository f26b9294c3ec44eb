#include "analysis/chart_drive.h"

#include <stdexcept>

#include "dump/dump_file.h"

namespace kq {
namespace {
bool isBlank(const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }
}  // namespace

ChartDrive loadChartDrive(const std::string& path, char decimalSeparator) {
  ChartDrive drive;
  drive.path = path;
  Dump dump;
  loadDumpFile(path, dump);
  if (!dump.empty()) drive.model = buildDumpModel(dump, decimalSeparator);
  return drive;
}

std::vector<char> filterRecords(const DumpModel& model, const std::string& filter) {
  if (isBlank(filter)) return {};
  return Expression(filter, model.titles()).keep(model);
}

std::vector<ChannelDefinition> applyAnalysis(ChartDrive& drive, std::span<const ChannelDefinition> channels,
                                             const std::string& filter) {
  drive.model.removeAllDerived();
  drive.problems = {};
  std::vector<ChannelDefinition> fitting;
  for (const ChannelDefinition& channel : channels) {
    try {
      addChannels(drive.model, std::span(&channel, 1));
      fitting.push_back(channel);
    } catch (const std::runtime_error& error) {
      drive.problems.channels.push_back(error.what());
    }
  }
  try {
    drive.kept = filterRecords(drive.model, filter);
  } catch (const ExpressionError& error) {
    drive.kept.clear();
    drive.problems.filter = error.what();
  }
  return fitting;
}

}  // namespace kq
