// kq-cli library report: a car's report over a span as a PDF file, drawn
// without a display as the library window draws it.
#include <climits>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/safe_file.h"
#include "base/utf8_path.h"
#include "chart/report_document.h"
#include "cli/analysis_options.h"
#include "cli/commands.h"
#include "cli/failure_text.h"
#include "cli/offscreen_application.h"
#include "cli/option_checks.h"
#include "cli/shared_options.h"
#include "decode/number_text.h"
#include "library/car_report.h"
#include "library/library_store.h"
#include "regional/decimal_separator.h"

namespace kq::cli {
namespace {

struct Options {
  std::vector<std::string> cars;
  std::optional<CalendarDate> from;
  std::optional<CalendarDate> to;
  std::vector<int> trips;
  std::string templateFile;
  Moment gap = kDefaultTripGap;
  bool noMark = false;
  std::string outDir;
  std::string output;
  char separator = 0;
};

// A failure said in the command's own words.
class Refusal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What a report is made of, found for every car before the first file is written.
struct Planned {
  Car car;
  ReportTemplate report;
  std::string output;
};

ReportSpan spanOf(const LibraryStore& store, const Options& options, RowId car) {
  ReportSpan span;
  span.trips = options.trips;
  if (options.from) span.from = dayStart(*options.from);
  if (options.to) span.to = dayStart(*options.to) + 86399;
  // A visit: what came after the last report.
  if (!options.from && !options.to && options.trips.empty())
    if (const std::optional<ReportMark> last = store.lastReport(car)) span.from = last->to + 1;
  return span;
}

std::vector<Planned> plan(const LibraryStore& store, const Options& options, std::int64_t madeAt) {
  std::optional<ReportTemplate> chosen;
  if (!options.templateFile.empty()) chosen = loadReportTemplate(options.templateFile);
  std::vector<Planned> planned;
  std::map<std::string, std::string> carOfFile;
  for (const std::string& name : options.cars) {
    const std::optional<Car> car = store.findCar(name);
    if (!car) throw Refusal("the library has no car \"" + name + "\"");
    ReportTemplate report = chosen ? *chosen : defaultReportTemplate(car->controllerType);
    try {
      checkReportTemplate(car->controllerType, report);
    } catch (const ReportError& error) {
      throw Refusal("car \"" + name + "\": " + error.what());
    }
    std::string output = options.output;
    if (!options.outDir.empty())
      output = utf8Text(utf8Path(options.outDir) / utf8Path(reportFileName(name, madeAt)));
    if (const auto [at, added] = carOfFile.emplace(output, name); !added)
      throw Refusal("cars \"" + at->second + "\" and \"" + name + "\" would both be written to " + output);
    checkCanCreate(output);  // before the work rather than after it
    planned.push_back({*car, std::move(report), std::move(output)});
  }
  return planned;
}

int report(const Options& options, const std::string& location) {
  const char* command = "library report";
  try {
    if (location.empty())
      throw Refusal("no home folder to keep the library in: name its file with --library");
    LibraryStore store(location,
                       options.noMark ? LibraryStore::Access::readOnly : LibraryStore::Access::readWrite);
    const std::int64_t madeAt = std::int64_t(std::time(nullptr));
    const std::vector<Planned> planned = plan(store, options, madeAt);
    const char separator = options.separator ? options.separator : systemDecimalSeparator();
    std::string text = "Машина;Файл;Поездок;Событий;Страниц\n";
    for (const Planned& one : planned) {
      const CarHistory history(one.car.controllerType, store.history(one.car.id), separator, options.gap,
                               reportTitles(one.car.controllerType, one.report));
      const CarReport report =
          buildCarReport(history, one.car.name, one.report, spanOf(store, options, one.car.id), madeAt);
      const ReportDocument document(report, history);
      const QByteArray pdf = document.pdf();
      writeFileSafely(one.output, std::string_view(pdf.constData(), std::size_t(pdf.size())));
      if (!options.noMark && report.from) {
        if (store.readOnly())
          std::fprintf(stderr,
                       "kq-cli %s: the library is read-only: the report of \"%s\" is not noted in it\n",
                       command, one.car.name.c_str());
        else
          store.markReport(one.car.id, {madeAt, *report.from, *report.to});
      }
      long long events = 0;
      for (const CheckEvents& check : report.checks) events += (long long)check.events.size();
      text += one.car.name + ';' + one.output + ';';
      appendInteger(text, (long long)report.trips.size());
      text += ';';
      appendInteger(text, events);
      text += ';';
      appendInteger(text, document.pageCount());
      text += '\n';
    }
    return writeToStandardOutput(command, text);
  } catch (const Refusal& e) {
    std::fprintf(stderr, "kq-cli %s: %s\n", command, e.what());
  } catch (const TemplateError& e) {
    std::fprintf(stderr, "kq-cli %s: %s\n", command, e.what());
  } catch (const ReportError& e) {
    std::fprintf(stderr, "kq-cli %s: %s\n", command, e.what());
  } catch (const std::exception& e) {
    reportFailure(command, e);
  }
  return 1;
}

constexpr const char* kDetails =
    "Writes the report of car NAME as a PDF file of A4 pages: the car, the span,\n"
    "its trips, records and driving time; the events of the template's checks\n"
    "with the trips where they happened; each parameter's mean and maximum\n"
    "against the span of the same length before; the trips' minimum, maximum\n"
    "and mean of each parameter; a trend per parameter; and the charts of trips\n"
    "with events, their intervals shaded. Numbers are rounded to two decimals.\n"
    "\n"
    "The span is --from to --to (either end open), or the trips given by --trip;\n"
    "without them, what came after the car's last report, or its whole history.\n"
    "Each report is noted in the library (unless --no-mark) so that the next\n"
    "one starts where it ended. Without --template a report holds what the\n"
    "controller type's table has of coolant temperature, revolutions, voltage\n"
    "and mixture corrections, and the checks 'Перегрев' and 'Низкое\n"
    "напряжение'. A template of the window ('Сохранить шаблон…') is a JSON file.\n"
    "\n"
    "Several --car write one report each into --out-dir as NAME-YYYY-MM-DD.pdf,\n"
    "and print 'Машина;Файл;Поездок;Событий;Страниц' and a line per car. Every\n"
    "car and the template are checked before the first file is written.";

}  // namespace

Command addLibraryReportCommand(Command& library, std::function<std::string()> location) {
  Command command(library.app(), "report", "a car's report over a span, as a PDF file", kDetails);
  command.app().fallthrough();
  command.onMisuse(library.app().get_option("--library"), kLibraryMisuse);
  auto options = std::make_shared<Options>();
  CLI::App& app = command.app();
  // Taken one by one as they come.
  command.onMisuse(app.add_option_function<std::string>(
                          "--car", [options](const std::string& name) { options->cars.push_back(name); },
                          "the car, by its name; repeated for several")
                       ->type_name("NAME")
                       ->required()
                       ->trigger_on_parse(),
                   "--car takes a car's name");
  for (const bool to : {false, true}) {
    const char* name = to ? "--to" : "--from";
    command.onMisuse(app.add_option_function<std::string>(
                            name,
                            [options, to, name](const std::string& text) {
                              (to ? options->to : options->from) = parseCalendarDate(text);
                              if (!(to ? options->to : options->from)) throw CLI::ValidationError(name, text);
                            },
                            to ? "the span's last day" : "the span's first day")
                         ->type_name("YYYY-MM-DD"),
                     std::string(name) + " takes a date YYYY-MM-DD");
  }
  command.onMisuse(app.add_option_function<int>(
                          "--trip", [options](int trip) { options->trips.push_back(trip); },
                          "a trip of the report, as 'trips' numbers it; repeated for several")
                       ->type_name("N")
                       ->check(wholeNumber(1, INT_MAX))
                       ->trigger_on_parse(),
                   "--trip takes a trip's number, from 1");
  command.onMisuse(
      app.add_option("--template", options->templateFile, "the report's template (JSON)")->type_name("FILE"),
      "--template takes a file");
  command.onMisuse(
      app.add_option("--gap", options->gap,
                     "a trip ends where the next record is more than SECONDS later (default 300)")
          ->type_name("SECONDS")
          ->check(wholeNumber(0, INT_MAX)),
      "--gap takes a number of seconds");
  app.add_flag("--no-mark", options->noMark, "do not note the report in the library");
  command.onMisuse(
      app.add_option("--out-dir", options->outDir, "write each car's report into DIR")->type_name("DIR"),
      "--out-dir takes a folder");
  addDecimalSeparator(command, options->separator);
  app.add_option("OUT", options->output, "the PDF file (one car, without --out-dir)")->type_name("");
  app.callback([options] {
    if (options->outDir.empty() && options->output.empty())
      throw CLI::ValidationError("give OUT.pdf or --out-dir DIR");
    if (!options->outDir.empty() && !options->output.empty())
      throw CLI::ValidationError("give OUT.pdf or --out-dir DIR, not both");
    if (options->outDir.empty() && options->cars.size() > 1)
      throw CLI::ValidationError("several cars write their reports into --out-dir DIR");
    if (options->from && options->to && *options->to < *options->from)
      throw CLI::ValidationError("--to is before --from");
  });
  command.setRun(
      [options, location] { return withOffscreenApplication([&] { return report(*options, location()); }); });
  return command;
}

}  // namespace kq::cli
