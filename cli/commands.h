#pragma once

#include <CLI/CLI.hpp>
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

}  // namespace kq::cli
