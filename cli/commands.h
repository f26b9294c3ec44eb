#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>
#include <vector>

#include "cli/command.h"

namespace kq::cli {

// Each adds its command, with its options, to kq-cli's command line.
Command addExportCommand(CLI::App& kqCli);
Command addDownloadCommand(CLI::App& kqCli);
Command addSimulateCommand(CLI::App& kqCli);
Command addStatsCommand(CLI::App& kqCli);
Command addChartCommand(CLI::App& kqCli);
Command addTableCommand(CLI::App& kqCli);
Command addCompareCommand(CLI::App& kqCli);
// 'library' and its own commands, these first: the first command of the list
// that was parsed is the one named.
std::vector<Command> addLibraryCommands(CLI::App& kqCli);
// 'library report', added to the library's command (in builds with the chart,
// which draws it); `location` gives the library the command line names.
Command addLibraryReportCommand(Command& library, std::function<std::string()> location);

inline constexpr const char* kLibraryMisuse =
    "--library takes a file or postgresql://USER@HOST[:PORT]/DATABASE";

}  // namespace kq::cli
