#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kq::cli {

// One kq-cli command: its CLI11 subcommand and options, the message each
// option's misuse gives, and what runs it once its command line is read.
// Usage errors read "kq-cli COMMAND: MESSAGE" and end with status 2.
class Command {
 public:
  // `summary` is the command's line in kq-cli's help; `details` ends its own.
  Command(CLI::App& kqCli, const std::string& name, const std::string& summary, const std::string& details);

  CLI::App& app() const { return *app_; }
  // As messages name it: "stats", "library import".
  std::string name() const;

  // Any misuse of `option` (its value missing, refused or repeated) is
  // reported as `message`.
  CLI::Option* onMisuse(CLI::Option* option, std::string message);

  void setRun(std::function<int()> run) { run_ = std::move(run); }
  int run() const { return run_(); }

  // Reports a command line CLI11 refused; `extras` are the arguments nobody
  // took. Returns the exit status. A rule between options is kept by
  // throwing CLI::ValidationError(MESSAGE) from the command's callback. A
  // command made of commands of its own says which one is unknown or missing.
  int usageError(const CLI::ParseError& error, const std::vector<std::string>& extras) const;

 private:
  int usageError(const std::string& message) const;

  CLI::App* app_;
  std::vector<std::pair<std::string, std::string>> misuseMessages_;  // option name, message
  std::function<int()> run_;
};

// The message for arguments nobody took: an unknown option comes first.
std::string unexpectedArgumentMessage(const std::vector<std::string>& extras);

}  // namespace kq::cli
