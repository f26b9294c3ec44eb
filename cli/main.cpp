// kq-cli: the downloader's work without a window.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/console.h"
#include "cli/failure_text.h"

namespace {

// A command reports its own failures; whatever escapes it still ends with a
// message rather than the C++ library's "terminate called after …".
int runCommand(const kq::cli::Command& command) {
  const std::string name = command.name();
  try {
    return command.run();
  } catch (const std::exception& error) {
    kq::cli::reportFailure(name.c_str(), error);
  } catch (...) {
    std::fprintf(stderr, "kq-cli %s: внутренняя ошибка программы\n", name.c_str());
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kq::cli;
  std::vector<std::string> args = startConsole(argc, argv);
  if (args == std::vector<std::string>{"help"}) args = {"--help"};  // as older versions took it

  CLI::App kqCli("Downloads and converts the log memory of a KQ-series on-board computer.", "kq-cli");
  kqCli.set_help_flag("-h,--help", "print this help");
  kqCli.set_version_flag("--version", "kq-cli " KQ_VERSION, "print the version, which is the package's");
  kqCli.require_subcommand(0, 1);
  kqCli.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  const auto formatter = kqCli.get_formatter();  // the commands share it
  formatter->column_width(26);
  formatter->label("SUBCOMMAND", "COMMAND");
  formatter->label("Subcommands", "Commands");
  formatter->label("Positionals", "Arguments");
  formatter->label("REQUIRED", "");
  kqCli.footer("'kq-cli COMMAND --help' explains a command.");

  std::vector<Command> commands;
  commands.push_back(addExportCommand(kqCli));
  commands.push_back(addDownloadCommand(kqCli));
  commands.push_back(addStatsCommand(kqCli));
  commands.push_back(addChartCommand(kqCli));
  commands.push_back(addTableCommand(kqCli));
  commands.push_back(addCompareCommand(kqCli));
#if KQ_CLI_WITH_LIBRARY
  for (Command& command : addLibraryCommands(kqCli)) commands.push_back(std::move(command));
#endif
#if KQ_CLI_WITH_SIMULATOR
  commands.push_back(addSimulateCommand(kqCli));
#endif

  std::reverse(args.begin(), args.end());  // CLI11 takes them last first
  try {
    kqCli.parse(args);
  } catch (const CLI::CallForHelp&) {
    std::fputs(kqCli.help().c_str(), stdout);
    return 0;
  } catch (const CLI::CallForVersion& version) {
    std::printf("%s\n", version.what());
    return 0;
  } catch (const CLI::ParseError& error) {
    const std::vector<std::string> extras = kqCli.remaining(true);
    for (const auto& command : commands)
      if (command.app().parsed()) return command.usageError(error, extras);
    std::string message = error.what();
    if (!extras.empty())
      message = extras.front().starts_with("-") ? unexpectedArgumentMessage(extras)
                                                : "unknown command '" + extras.front() + "'";
    std::fprintf(stderr, "kq-cli: %s\n\n%s", message.c_str(), kqCli.help().c_str());
    return 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kq-cli: %s\n", failureText(error).c_str());
    return 1;
  }
  for (const auto& command : commands)
    if (command.app().parsed()) return runCommand(command);
  std::fputs(kqCli.help().c_str(), stderr);
  return 2;
}
