// kq-cli compare: how drives line up, as the chart window lines them up when
// they are compared.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/drive_comparison.h"
#include "analysis/expression.h"
#include "cli/analysis_options.h"
#include "cli/commands.h"
#include "cli/shared_options.h"
#include "decode/number_text.h"
#include "dump/dump_file.h"
#include "regional/decimal_separator.h"

namespace kq::cli {
namespace {

struct Options {
  std::vector<std::string> dumps;
  std::string align;
  bool aligned = false;
  char separator = 0;
};

std::string comparisonText(const std::vector<std::string>& files, const DriveComparison& drives,
                           const EventAlignment* alignment, char separator) {
  std::string text;
  for (int d = 0; d < drives.driveCount(); ++d) {
    text += files[d];
    text += ';';
    if (alignment && alignment->matches[d])
      appendNumber(text, drives.model(d).values(kRecordNumberColumn)[*alignment->matches[d]], separator);
    text += ';';
    appendNumber(text, alignment ? alignment->offsets[d] : drives.offset(d), separator);
    text += '\n';
  }
  return text;
}

int run(const Options& options) {
  const char separator = options.separator ? options.separator : systemDecimalSeparator();
  return runReporting("compare", [&options, separator] {
    std::vector<DumpModel> models;
    for (const std::string& file : options.dumps) {
      Dump dump;
      loadDumpFile(file, dump);
      models.push_back(dump.empty() ? DumpModel() : buildDumpModel(dump, separator));
      if (models.back().recordCount() == 0) throw AnalysisError(file + " holds no records");
    }
    DriveComparison drives;
    for (const DumpModel& model : models) drives.addDrive(model);
    std::optional<EventAlignment> alignment;
    if (options.aligned) {
      // A mistake is said with the file it does not fit.
      for (std::size_t d = 0; d < models.size(); ++d) {
        try {
          Expression(options.align, models[d]);
        } catch (const ExpressionError& error) {
          throw AnalysisError("--align: " + options.dumps[d] + ": " + error.what());
        }
      }
      alignment = alignOnEvent(drives, options.align);
    }
    return writeToStandardOutput(
        "compare", comparisonText(options.dumps, drives, alignment ? &*alignment : nullptr, separator));
  });
}

constexpr const char* kDetails =
    "Writes to standard output one line 'FILE;RECORD;OFFSET' for every dump file,\n"
    "in the order given: the file as given; the record number ('Номер записи') of\n"
    "its first record where EXPR holds (empty without --align or without such a\n"
    "record); and the seconds to add to the times of that dump's records to line\n"
    "it up with the first dump (0 for the first).\n"
    "\n"
    "Without --align the dumps line up by their first records. With it, each dump's\n"
    "first record where EXPR holds lines up with the first dump's. A dump where\n"
    "EXPR never holds lines up by its first record; so do all dumps when the first\n"
    "dump has no such record, as there is nothing to line up with.\n"
    "\n"
    "EXPR names parameters by their titles in brackets ('[Обороты двигателя] > 3000');\n"
    "numbers are written with a point.";

}  // namespace

Command addCompareCommand(CLI::App& kqCli) {
  Command command(kqCli, "compare", "how several dump files line up in time, by their start or on an event",
                  kDetails);
  auto options = std::make_shared<Options>();
  command.onMisuse(command.app()
                       .add_option("DUMP", options->dumps, "the dump files, the first the reference")
                       ->required()
                       ->expected(2, CLI::detail::expected_max_vector_size)
                       ->type_name(""),
                   "give two dump files or more");
  command.app()
      .add_option_function<std::string>(
          "--align",
          [options](const std::string& expression) {
            options->align = expression;
            options->aligned = true;
          },
          "line the dumps up on the first record where EXPR holds")
      ->type_name("EXPR");
  addDecimalSeparator(command, options->separator);
  command.app().callback([options] {
    if (options->dumps.size() < 2) throw CLI::ValidationError("give two dump files or more");
  });
  command.setRun([options] { return run(*options); });
  return command;
}

}  // namespace kq::cli
