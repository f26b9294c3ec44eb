// kq-cli library: a car's history across downloads, through the same store
// and history code as the window's library.
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "base/file_error.h"
#include "base/os_calls.h"
#include "base/safe_file.h"
#include "base/utf8_path.h"
#include "cli/analysis_options.h"
#include "cli/commands.h"
#include "cli/failure_text.h"
#include "cli/option_checks.h"
#include "cli/qt_messages.h"
#include "cli/shared_options.h"
#include "decode/number_text.h"
#include "decode/record_view.h"
#include "dump/dump_file.h"
#include "library/car_history.h"
#include "library/library_copy.h"
#include "library/library_store.h"
#include "library/stored_record.h"
#include "regional/decimal_separator.h"

namespace kq::cli {
namespace {

// What the library's commands are told; each reads the part it takes.
struct Options {
  std::string library;  // empty: defaultLibraryLocation()
  std::string car;
  std::optional<CalendarDate> date;
  std::vector<std::string> dumps;
  Moment gap = kDefaultTripGap;
  std::string where;
  Moment minSeconds = 0;
  std::vector<ChannelDefinition> channels;
  std::string of;
  TrendStatistic statistic = TrendStatistic::mean;
  int trip = 0;
  std::string output;
  std::string copyFrom;
  RowId importId = 0;
  char separator = 0;
};

// A failure said in the command's own words: "kq-cli library COMMAND: MESSAGE".
class Refusal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using Work = std::function<int(LibraryStore&)>;

// Does a command's work with Qt SQL at hand, its failures said; returns the
// exit status.
int withDatabases(const std::string& command, const std::function<int()>& work) {
  // Qt SQL finds its database drivers through the application object.
  static int argc = 1;
  static char name[] = "kq-cli";
  static char* argv[] = {name, nullptr};
  keepQtNotesQuiet();
  QCoreApplication application(argc, argv);
  try {
    return work();
  } catch (const Refusal& e) {
    std::fprintf(stderr, "kq-cli %s: %s\n", command.c_str(), e.what());
  } catch (const AnalysisError& e) {
    std::fprintf(stderr, "kq-cli %s: %s\n", command.c_str(), e.what());
  } catch (const std::exception& e) {
    reportFailure(command.c_str(), e);
  }
  return 1;
}

// Opens the library and does a command's work on it.
int onLibrary(const std::string& command, const Options& options, LibraryStore::Access access,
              const Work& work) {
  return withDatabases(command, [&] {
    const std::string location = options.library.empty() ? defaultLibraryLocation() : options.library;
    if (location.empty())
      throw Refusal("no home folder to keep the library in: name its file with --library");
    LibraryStore store(location, access);
    return work(store);
  });
}

char separatorOf(const Options& options) {
  return options.separator ? options.separator : systemDecimalSeparator();
}

Car carNamed(const LibraryStore& store, const std::string& name) {
  if (std::optional<Car> car = store.findCar(name)) return *car;
  throw Refusal("the library has no car \"" + name + "\"");
}

// The car's dated records, split by the gap, with the parameters that the
// expressions and the derived channels name, and those channels.
CarHistory historyOf(const LibraryStore& store, const Options& options,
                     const std::vector<std::string>& expressions) {
  const Car car = carNamed(store, options.car);
  CarHistory history(car.controllerType, store.history(car.id), separatorOf(options), options.gap,
                     titlesNamedBy(car.controllerType, expressions, options.channels));
  try {
    history.addChannels(options.channels);
  } catch (const std::runtime_error& error) {
    throw AnalysisError(error.what());
  }
  return history;
}

void appendField(std::string& text, long long value) {
  text += ';';
  appendInteger(text, value);
}

std::string localDateTime(std::int64_t systemTime) {
  const std::tm local = localTime(std::time_t(systemTime));
  char text[32];
  return std::string(text, std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local));
}

// import

CalendarDate modificationDate(const std::string& file) {
  std::error_code error;
  const auto written = std::filesystem::last_write_time(utf8Path(file), error);
  if (error) throw FileError::cannotOpen(file, error.message());
  const auto seconds = std::chrono::floor<std::chrono::seconds>(std::chrono::file_clock::to_sys(written));
  return localDate(std::time_t(seconds.time_since_epoch().count()));
}

struct DumpToImport {
  std::string file;
  Dump dump;
  CalendarDate reference;
};

int importDumps(LibraryStore& store, const Options& options, const char* command) {
  // Every file is read before the first change, so that a wrong name changes nothing.
  std::vector<DumpToImport> dumps;
  for (const std::string& file : options.dumps) {
    Dump dump;
    loadDumpFile(file, dump);
    if (dump.empty()) throw Refusal(file + " holds no records");
    dumps.push_back({file, std::move(dump), options.date ? *options.date : modificationDate(file)});
  }
  std::string header = "Файл;Новых записей;Уже в библиотеке\n";  // with the first line: a failure prints none
  for (const DumpToImport& dump : dumps) {
    // The car is made with its first import, so that a failed one leaves none.
    const ImportOutcome outcome =
        store.importIntoCarNamed(options.car, dump.dump, {fullPath(dump.file), dump.reference});
    std::string line = std::exchange(header, {}) + dump.file;
    appendField(line, outcome.newRecords);
    appendField(line, outcome.knownRecords);
    line += '\n';
    if (writeToStandardOutput(command, line) != 0) return 1;
  }
  return 0;
}

// cars, imports, trips, events, trend

std::string carsText(const LibraryStore& store) {
  std::string text = "Машина;Тип контроллера;Записей;Поездок;Первая запись;Последняя запись\n";
  for (const CarSummary& summary : store.cars()) {
    text += summary.car.name;
    appendField(text, summary.car.controllerType);
    appendField(text, summary.records);
    appendField(text, static_cast<long long>(splitTrips(store.moments(summary.car.id)).size()));
    text += ';';
    if (summary.first) text += momentText(*summary.first);
    text += ';';
    if (summary.last) text += momentText(*summary.last);
    text += '\n';
  }
  return text;
}

std::string importsText(const LibraryStore& store, const Options& options) {
  std::string text = "Загрузка;Дата;Файл;Новых записей;Уже в библиотеке\n";
  for (const ImportInfo& info : store.imports(carNamed(store, options.car).id)) {
    appendInteger(text, info.id);
    text += ';' + localDateTime(info.importedAt) + ';' + info.fileName;
    appendField(text, info.newRecords);
    appendField(text, info.knownRecords);
    text += '\n';
  }
  return text;
}

void appendSpan(std::string& text, int trip, Moment start, Moment end, int records) {
  appendInteger(text, trip);
  text += ';' + momentText(start) + ';' + momentText(end);
  appendField(text, records);
  text += '\n';
}

constexpr const char* kSpanHeader = "Поездка;Начало;Конец;Записей\n";

std::string tripsText(const LibraryStore& store, const Options& options) {
  std::string text = kSpanHeader;
  for (const Trip& trip : splitTrips(store.moments(carNamed(store, options.car).id), options.gap))
    appendSpan(text, trip.number, trip.start, trip.end, trip.records());
  return text;
}

std::string eventsText(const LibraryStore& store, const Options& options) {
  const CarHistory history = historyOf(store, options, {options.where});
  std::vector<HistoryEvent> events;
  try {
    events = findEvents(history, options.where, options.minSeconds);
  } catch (const ExpressionError& error) {
    throw AnalysisError(std::string("--where: ") + error.what());
  }
  std::string text = kSpanHeader;
  for (const HistoryEvent& event : events)
    appendSpan(text, event.trip, event.start, event.end, event.records());
  return text;
}

constexpr std::pair<const char*, TrendStatistic> kStatistics[] = {
    {"min", TrendStatistic::minimum}, {"max", TrendStatistic::maximum}, {"mean", TrendStatistic::mean}};
// As the statistics of stats name them.
const char* statisticTitle(TrendStatistic statistic) {
  switch (statistic) {
    case TrendStatistic::minimum:
      return "Минимум";
    case TrendStatistic::maximum:
      return "Максимум";
    case TrendStatistic::mean:
      break;
  }
  return "Среднее";
}

std::string trendText(const LibraryStore& store, const Options& options) {
  const CarHistory history = historyOf(store, options, {"[" + options.of + "]"});
  const std::optional<int> column = history.model().columnOf(options.of);
  if (!column)
    throw Refusal("controller type " + std::to_string(history.controllerType()) +
                  " has no parameter or channel \"" + options.of + "\"");
  std::string text =
      std::string("Поездка;Начало;") + statisticTitle(options.statistic) + " «" + options.of + "»\n";
  for (const TrendPoint& point : trend(history, *column, options.statistic)) {
    appendInteger(text, point.trip);
    text += ';' + momentText(point.start) + ';';
    if (point.value) appendNumber(text, *point.value, history.model().decimalSeparator());
    text += '\n';
  }
  return text;
}

// export

int exportTrip(const LibraryStore& store, const Options& options) {
  checkCanCreate(options.output);                            // before the work rather than after it
  const CarHistory history = historyOf(store, options, {});  // the records' bytes alone
  const Trip* trip = history.trip(options.trip);
  if (!trip)
    throw Refusal("the car \"" + options.car + "\" has no trip " + std::to_string(options.trip) +
                  " (it has " + std::to_string(history.trips().size()) + ")");
  saveDumpFile(options.output, tripDump(history, *trip));
  return 0;
}

// The options several commands take.

void addCar(Command& command, Options& options) {
  command.onMisuse(
      command.app().add_option("--car", options.car, "the car, by its name")->type_name("NAME")->required(),
      "--car takes a car's name");
}

void addGap(Command& command, Options& options) {
  command.onMisuse(
      command.app()
          .add_option("--gap", options.gap,
                      "a trip ends where the next record is more than SECONDS later (default 300)")
          ->type_name("SECONDS")
          ->check(wholeNumber(0, INT_MAX)),
      "--gap takes a number of seconds");
}

// One of the library's commands. Options it does not know are the library's:
// --library may follow the command's name too.
Command subcommand(Command& library, const char* name, const char* summary, const char* details) {
  Command command(library.app(), name, summary, details);
  command.app().fallthrough();
  command.onMisuse(library.app().get_option("--library"), kLibraryMisuse);
  return command;
}

// A command's work on the store, opened as it needs it.
void runWith(Command& command, std::shared_ptr<Options> options, LibraryStore::Access access,
             std::function<int(LibraryStore&, const Options&, const char*)> work) {
  command.setRun([options, access, work, name = command.name()] {
    return onLibrary(name, *options, access,
                     [&](LibraryStore& store) { return work(store, *options, name.c_str()); });
  });
}

// A command that reads the library and prints what it found.
using Text = std::function<std::string(const LibraryStore&, const Options&)>;
void printWith(Command& command, std::shared_ptr<Options> options, Text text) {
  runWith(command, std::move(options), LibraryStore::Access::readOnly,
          [text](LibraryStore& store, const Options& options, const char* name) {
            return writeToStandardOutput(name, text(store, options));
          });
}

constexpr const char* kDetails =
    "Keeps every download of a car in one library, each record once however\n"
    "many downloads carry it, and tells its trips, events and trends. Output is\n"
    "UTF-8, ';'-separated, with a header line; dates and times read\n"
    "'YYYY-MM-DD HH:MM:SS'. A trip ends where the next record is more than\n"
    "--gap seconds later (300 by default). The library is FILE, by default\n"
    "~/.local/share/kq-unloader/library.sqlite ($XDG_DATA_HOME/kq-unloader/\n"
    "on Linux, %LOCALAPPDATA%\\kq-unloader\\ on Windows), made on the first\n"
    "import. Several programs may use it at once.";

constexpr const char* kImportDetails =
    "Adds the records of each dump file to the car's history, each file its own\n"
    "import, and prints 'Файл;Новых записей;Уже в библиотеке' and a line per\n"
    "file: the records stored now and those the library had already. A new car\n"
    "takes the controller type of its first dump. Records are dated by --date,\n"
    "else by the day the file was last written: a record of a day and month\n"
    "after that day is of the year before. A file already imported adds nothing.\n"
    "Every file is read first: one that cannot be read changes nothing.";

constexpr const char* kEventsDetails =
    "Prints 'Поездка;Начало;Конец;Записей' and a line per event: each longest\n"
    "run of records of one trip where EXPR holds, lasting --min-seconds or\n"
    "more. EXPR names parameters and channels by their titles in brackets, as\n"
    "the chart's filter does; [TITLE@-1] is the previous record of the trip.";

constexpr const char* kTrendDetails =
    "Prints 'Поездка;Начало;STATISTIC «TITLE»' and a line per trip: the minimum,\n"
    "maximum or mean of the parameter or channel TITLE over the trip, empty\n"
    "where the trip has no value of it. Numbers use the regional decimal\n"
    "separator (or --decimal-separator).";

}  // namespace

std::vector<Command> addLibraryCommands(CLI::App& kqCli) {
  Command library(kqCli, "library", "a car's history of downloads: imports, trips, events and trends",
                  kDetails);
  auto options = std::make_shared<Options>();
  library.onMisuse(library.app()
                       .add_option("--library", options->library,
                                   "the library: a file, or a database on a PostgreSQL server")
                       ->type_name("FILE|postgresql://USER@HOST[:PORT]/DATABASE"),
                   kLibraryMisuse);
  library.app().require_subcommand(1, 1);
  std::vector<Command> commands;

  Command importing = subcommand(library, "import", "add dump files to a car's history", kImportDetails);
  addCar(importing, *options);
  importing.onMisuse(importing.app()
                         .add_option_function<std::string>(
                             "--date",
                             [options](const std::string& text) {
                               options->date = parseCalendarDate(text);
                               if (!options->date) throw CLI::ValidationError("--date", text);
                             },
                             "the day of the download (default: the day each file was last written)")
                         ->type_name("YYYY-MM-DD"),
                     "--date takes a date YYYY-MM-DD");
  importing.app().add_option("DUMP", options->dumps, "the dump files")->required()->type_name("");
  runWith(importing, options, LibraryStore::Access::readWrite,
          [](LibraryStore& store, const Options& options, const char* name) {
            return importDumps(store, options, name);
          });
  commands.push_back(importing);

  Command cars = subcommand(library, "cars", "the cars, their records and trips",
                            "Prints 'Машина;Тип контроллера;Записей;Поездок;Первая запись;Последняя "
                            "запись'\nand a line per car, trips counted with the gap of 300 seconds.");
  printWith(cars, options, [](const LibraryStore& store, const Options&) { return carsText(store); });
  commands.push_back(cars);

  Command imports = subcommand(library, "imports", "a car's imports",
                               "Prints 'Загрузка;Дата;Файл;Новых записей;Уже в библиотеке' and a line per\n"
                               "import, oldest first: its number (for remove-import), when it was made,\n"
                               "its file, the records it stored and those the library had already.");
  addCar(imports, *options);
  printWith(imports, options, importsText);
  commands.push_back(imports);

  Command trips = subcommand(library, "trips", "a car's trips",
                             "Prints 'Поездка;Начало;Конец;Записей' and a line per trip, numbered from 1\n"
                             "in time order.");
  addCar(trips, *options);
  addGap(trips, *options);
  printWith(trips, options, tripsText);
  commands.push_back(trips);

  Command events =
      subcommand(library, "events", "where an expression holds in a car's trips", kEventsDetails);
  addCar(events, *options);
  events.onMisuse(
      events.app().add_option("--where", options->where, "the expression")->type_name("EXPR")->required(),
      "--where takes an expression");
  events.onMisuse(events.app()
                      .add_option("--min-seconds", options->minSeconds, "the shortest event (default 0)")
                      ->type_name("S")
                      ->check(wholeNumber(0, INT_MAX)),
                  "--min-seconds takes a number of seconds");
  addGap(events, *options);
  addChannelOption(events, options->channels);
  printWith(events, options, eventsText);
  commands.push_back(events);

  Command trend = subcommand(library, "trend", "a statistic of a parameter trip by trip", kTrendDetails);
  addCar(trend, *options);
  trend.onMisuse(trend.app()
                     .add_option("--of", options->of, "the parameter or channel, by its title")
                     ->type_name("TITLE")
                     ->required(),
                 "--of takes a title");
  trend.onMisuse(trend.app()
                     .add_option_function<std::string>(
                         "--stat",
                         [options](const std::string& name) {
                           const auto named =
                               std::find_if(std::begin(kStatistics), std::end(kStatistics),
                                            [&name](const auto& s) { return name == s.first; });
                           if (named == std::end(kStatistics)) throw CLI::ValidationError("--stat", name);
                           options->statistic = named->second;
                         },
                         "min, max or mean")
                     ->type_name("STAT")
                     ->required(),
                 "--stat takes min, max or mean");
  addGap(trend, *options);
  addChannelOption(trend, options->channels);
  addDecimalSeparator(trend, options->separator);
  printWith(trend, options, trendText);
  commands.push_back(trend);

  Command exporting = subcommand(library, "export", "a trip as a dump file",
                                 "Writes the records of trip N (as 'trips' numbers them) to OUT as a dump\n"
                                 "file that every other command reads. OUT is written whole or not at all.");
  addCar(exporting, *options);
  exporting.onMisuse(exporting.app()
                         .add_option("--trip", options->trip, "the trip's number")
                         ->type_name("N")
                         ->required()
                         ->check(wholeNumber(1, INT_MAX)),
                     "--trip takes a trip's number, from 1");
  addGap(exporting, *options);
  addArgument(exporting, "OUT", options->output, "the dump file to write");
  runWith(
      exporting, options, LibraryStore::Access::readOnly,
      [](LibraryStore& store, const Options& options, const char*) { return exportTrip(store, options); });
  commands.push_back(exporting);

  Command remove = subcommand(library, "remove-import", "remove an import and the records only it carried",
                              "Removes import ID (as 'imports' numbers it) and the records no other\n"
                              "import of its car carried; prints 'Загрузка;Удалено записей' and its line.");
  remove.onMisuse(remove.app()
                      .add_option("ID", options->importId, "the import's number")
                      ->required()
                      ->type_name("")
                      ->check(wholeNumber(1, LLONG_MAX)),
                  "ID takes an import's number (see 'kq-cli library imports')");
  runWith(remove, options, LibraryStore::Access::readWrite,
          [](LibraryStore& store, const Options& options, const char* name) {
            std::string text = "Загрузка;Удалено записей\n";
            const std::int64_t removed = store.removeImport(options.importId);
            appendInteger(text, options.importId);
            appendField(text, removed);
            return writeToStandardOutput(name, text + '\n');
          });
  commands.push_back(remove);

  Command backup = subcommand(library, "backup", "a copy of the library, made while others use it",
                              "Writes a consistent copy of the whole library to OUT; an existing OUT is\n"
                              "replaced only once the copy is complete.");
  addArgument(backup, "OUT", options->output, "the copy");
  runWith(backup, options, LibraryStore::Access::readOnly,
          [](LibraryStore& store, const Options& options, const char*) {
            store.backup(options.output);
            return 0;
          });
  commands.push_back(backup);

  Command check = subcommand(library, "check", "whether the library file is sound",
                             "Prints 'Библиотека в порядке', or what is wrong inside the file, one problem\n"
                             "a line, and then ends with status 1.");
  runWith(check, options, LibraryStore::Access::readOnly,
          [](LibraryStore& store, const Options&, const char* name) {
            const std::vector<std::string> problems = store.check();
            std::string text;
            for (const std::string& problem : problems) text += problem + '\n';
            if (problems.empty()) text = "Библиотека в порядке\n";
            const int written = writeToStandardOutput(name, text);
            return problems.empty() ? written : 1;
          });
  commands.push_back(check);

  Command copy = subcommand(library, "copy", "copy a whole library into another",
                            "Copies every car of FROM with its imports and records into TO (a file or\n"
                            "postgresql://USER@HOST[:PORT]/DATABASE, either way), making TO where it is\n"
                            "a new file, and prints 'Машин добавлено;Загрузок скопировано;Загрузок уже\n"
                            "было;Записей добавлено'. A car TO has already gets only what it lacks, so a\n"
                            "copy run again, or stopped and run again, adds only what is missing. FROM\n"
                            "is copied as it is at the start, while others may go on using it.");
  copy.app().add_option("FROM", options->copyFrom, "the library copied")->required()->type_name("");
  addArgument(copy, "TO", options->output, "the library copied into");
  copy.setRun([options, name = copy.name()] {
    return withDatabases(name, [&] {
      const LibraryStore from(options->copyFrom, LibraryStore::Access::readOnly);
      LibraryStore to(options->output);
      const CopyOutcome copied = copyLibrary(from, to);
      std::string text = "Машин добавлено;Загрузок скопировано;Загрузок уже было;Записей добавлено\n";
      appendInteger(text, copied.cars);
      appendField(text, copied.imports);
      appendField(text, copied.knownImports);
      appendField(text, copied.records);
      return writeToStandardOutput(name.c_str(), text + '\n');
    });
  });
  commands.push_back(copy);

  commands.push_back(addLibraryReportCommand(
      library, [options] { return options->library.empty() ? defaultLibraryLocation() : options->library; }));

  commands.push_back(library);  // after its commands: the first one parsed is the one named
  return commands;
}  // namespace kq::cli

}  // namespace kq::cli
