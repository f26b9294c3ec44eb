#include "cli/shared_options.h"

#include <climits>

#include "cli/option_checks.h"

namespace kq::cli {

CLI::Option* addArgument(Command& command, const char* name, std::string& value, const char* help) {
  return command.app().add_option(name, value, help)->required()->type_name("");
}

void addDecimalSeparator(Command& command, char& separator) {
  command.onMisuse(
      command.app()
          .add_option_function<std::string>(
              "--decimal-separator", [&separator](const std::string& text) { separator = text[0]; },
              "print numbers with C instead of the separator of the regional settings (LANG, "
              "LC_NUMERIC, LC_ALL)")
          ->type_name("C")
          ->check(oneCharacter()),
      "--decimal-separator takes one character");
}

void addRecordRange(Command& command, RecordRange& range) {
  const char* message = "--from and --to take a position of 0 or more";
  command.onMisuse(command.app()
                       .add_option("--from", range.from,
                                   "the first chart position (0-based, as the chart's 'Точка данных')")
                       ->type_name("N")
                       ->check(wholeNumber(0, INT_MAX)),
                   message);
  command.onMisuse(command.app()
                       .add_option("--to", range.to, "the last chart position (default: the last record)")
                       ->type_name("N")
                       ->check(wholeNumber(0, INT_MAX)),
                   message);
}

}  // namespace kq::cli
