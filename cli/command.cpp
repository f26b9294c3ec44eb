#include "cli/command.h"

#include <cstdio>

namespace kq::cli {

Command::Command(CLI::App& kqCli, const std::string& name, const std::string& summary,
                 const std::string& details)
    : app_(kqCli.add_subcommand(name, summary)) {
  app_->group("Commands");
  app_->footer(details);
}

std::string Command::name() const {
  std::string name = app_->get_name();
  for (const CLI::App* parent = app_->get_parent(); parent && parent->get_parent();
       parent = parent->get_parent())
    name = parent->get_name() + " " + name;
  return name;
}

CLI::Option* Command::onMisuse(CLI::Option* option, std::string message) {
  misuseMessages_.emplace_back(option->get_name(), std::move(message));
  return option;
}

int Command::usageError(const CLI::ParseError& error, const std::vector<std::string>& extras) const {
  if (dynamic_cast<const CLI::ExtrasError*>(&error)) return usageError(unexpectedArgumentMessage(extras));
  // CLI11 names the option first: "NAME: what went wrong".
  const std::string what = error.what();
  for (const auto& [name, message] : misuseMessages_)
    if (what.starts_with(name + ":")) return usageError(message);
  if (!app_->get_subcommands({}).empty() && app_->get_subcommands().empty()) {
    if (extras.empty())
      return usageError("a command is required ('kq-cli " + name() + " --help' lists them)");
    if (!extras.front().starts_with("-")) return usageError("unknown command '" + extras.front() + "'");
    return usageError(unexpectedArgumentMessage(extras));
  }
  return usageError(what);
}

int Command::usageError(const std::string& message) const {
  std::fprintf(stderr, "kq-cli %s: %s\n", name().c_str(), message.c_str());
  return 2;
}

std::string unexpectedArgumentMessage(const std::vector<std::string>& extras) {
  for (const auto& extra : extras)
    if (extra.size() > 1 && extra[0] == '-')
      return "unknown option '" + extra.substr(0, extra.find('=')) + "'";
  return "unexpected argument '" + (extras.empty() ? std::string() : extras.front()) + "'";
}

}  // namespace kq::cli
