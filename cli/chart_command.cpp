// kq-cli chart: the chart window's chart of a dump file, drawn without a
// display into a PNG or PDF file.
#include <cstdio>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/chart_session.h"
#include "analysis/dump_model.h"
#include "base/safe_file.h"
#include "chart/plot_image.h"
#include "chart/series_plot.h"
#include "chart/session_plot.h"
#include "chart/workspace_file.h"
#include "cli/commands.h"
#include "cli/failure_text.h"
#include "cli/offscreen_application.h"
#include "cli/record_range.h"
#include "cli/shared_options.h"
#include "dump/dump_file.h"
#include "regional/decimal_separator.h"

namespace kq::cli {
namespace {

constexpr QSize kDefaultSize(1416, 681);
constexpr int kMaxSide = 20000;

struct Options {
  struct Series {
    std::string title;
    bool right = false;
  };
  std::vector<Series> series;
  RecordRange range;
  bool time = false;
  QSize size = kDefaultSize;
  std::string workspace;
  std::vector<std::string> files;  // DUMP OUTPUT, or OUTPUT alone with --workspace
  std::string dump;
  std::string output;
};

bool readSize(const std::string& text, QSize& size) {
  int width = 0, height = 0;
  char end = 0;
  if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &end) != 2) return false;
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
  size = QSize(width, height);
  return true;
}

// The grid item of every series, or the message naming a title the dump's
// controller type does not have.
std::string chooseItems(const Options& options, const DumpModel& model, std::vector<Options::Series>& chosen,
                        std::vector<int>& items) {
  const std::vector<std::string> titles = model.titles();
  chosen = options.series;
  if (chosen.empty()) {
    for (int item : kInitialItems)
      if (item < int(titles.size())) chosen.push_back({titles[item], false});
  }
  for (const auto& series : chosen) {
    auto at = std::find(titles.begin(), titles.end(), series.title);
    if (at == titles.end())
      return "controller type " + std::to_string(model.controllerType()) + " has no parameter \"" +
             series.title + "\"";
    items.push_back(int(at - titles.begin()));
  }
  return {};
}

QByteArray drawChart(const Options& options, const DumpModel& model,
                     const std::vector<Options::Series>& chosen, const std::vector<int>& items) {
  SeriesPlot plot;
  plot.setModel(&model);
  plot.setTimeAxis(options.time);
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    plot.setSeriesPoints(int(i), plotValues(model, kFrameColumns + items[i]));
    plot.setSeriesTitle(int(i), QString::fromStdString(chosen[i].title));
    plot.setOnRightAxis(int(i), chosen[i].right);
  }
  for (int unused = int(chosen.size()); unused < kSeriesCount; ++unused)
    plot.graph(unused)->removeFromLegend();
  const int last = model.recordCount() - 1;
  if (options.range.from > 0 || options.range.to < last)
    plot.showKeys(options.range.from, std::min(options.range.to, last));
  else
    plot.fitToData();
  // One layout at the final size first, the series left out: the axes'
  // margins decide the ticks of the drawing.
  plot.resize(options.size);
  plot.layer(QStringLiteral("main"))->setVisible(false);
  plot.replot();
  plot.layer(QStringLiteral("main"))->setVisible(true);
  return plotImage(plot, *imageFormatOf(QString::fromStdString(options.output)));
}

// The chart of a saved workspace, drawn from its session at the size asked for.
QByteArray drawWorkspace(const Options& options) {
  ChartSession session;
  // Nobody is there to choose a replacement for a dump not found.
  const WorkspaceOpening opening =
      openWorkspaceFile(session, QString::fromStdString(options.workspace), systemDecimalSeparator(), {});
  if (!opening.error.empty()) throw std::runtime_error(opening.error);
  if (!opening.note.empty()) std::fprintf(stderr, "kq-cli chart: %s\n", opening.note.c_str());
  SeriesPlot plot;
  const SessionPlot drawn(session, plot);
  plot.resize(options.size);
  // One layout at the final size first, the series left out: the axes'
  // margins decide the ticks of the drawing.
  plot.layer(QStringLiteral("main"))->setVisible(false);
  plot.replot();
  plot.layer(QStringLiteral("main"))->setVisible(true);
  if (const auto& zoom = session.zoom()) plot.showKeys(zoom->first, zoom->second);
  return plotImage(plot, *imageFormatOf(QString::fromStdString(options.output)));
}

int runWorkspace(const Options& options) {
  try {
    checkCanCreate(options.output);
    const QByteArray image = withOffscreenApplication([&] { return drawWorkspace(options); });
    writeFileSafely(options.output, std::string_view(image.constData(), std::size_t(image.size())));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kq-cli chart: %s\n", failureText(e).c_str());
    return 1;
  }
  return 0;
}

int run(const Options& options) {
  if (!options.workspace.empty()) return runWorkspace(options);
  const char separator = systemDecimalSeparator();
  try {
    checkCanCreate(options.output);  // before the work rather than after it
    Dump dump;
    loadDumpFile(options.dump, dump);
    if (dump.empty()) {
      std::fprintf(stderr, "kq-cli chart: %s\n", emptyRangeMessage(options.range, 0).c_str());
      return 1;
    }
    DumpModel model = buildDumpModel(dump, separator);
    const int records = model.recordCount();
    if (records == 0 || options.range.from > std::min(options.range.to, records - 1)) {
      std::fprintf(stderr, "kq-cli chart: %s\n", emptyRangeMessage(options.range, records).c_str());
      return 1;
    }
    std::vector<Options::Series> chosen;
    std::vector<int> items;
    if (std::string message = chooseItems(options, model, chosen, items); !message.empty()) {
      std::fprintf(stderr, "kq-cli chart: %s\n", message.c_str());
      return 1;
    }

    const QByteArray image =
        withOffscreenApplication([&] { return drawChart(options, model, chosen, items); });
    writeFileSafely(options.output, std::string_view(image.constData(), std::size_t(image.size())));
  } catch (const std::exception& e) {
    reportFailure("chart", e);
    return 1;
  }
  return 0;
}

constexpr const char* kDetails =
    "Draws the chart of the dump file DUMP as the chart window draws it (the\n"
    "same colours, legend and axes) into OUTPUT, a PNG or PDF file by its\n"
    "extension. No display is needed. Series take the window's colours in the\n"
    "order given, at most 10; without --series or --right, the window's first\n"
    "choice.\n"
    "\n"
    "With --workspace FILE, draws the chart of a workspace saved by the chart\n"
    "window (its dumps, offsets, series, channels, filter and zoom) into OUTPUT;\n"
    "what its dumps lack is said on standard error. Give OUTPUT alone then.";

}  // namespace

Command addChartCommand(CLI::App& kqCli) {
  Command command(kqCli, "chart", "draw the chart of a dump file into a PNG or PDF file", kDetails);
  auto options = std::make_shared<Options>();
  CLI::App& app = command.app();
  for (const bool right : {false, true}) {
    // Taken as they come, so that left and right series keep their order.
    command.onMisuse(app.add_option_function<std::string>(
                            right ? "--right" : "--series",
                            [options, right](const std::string& title) {
                              options->series.push_back({title, right});
                            },
                            right ? "plot it on the right axis" : "plot the parameter of that column title")
                         ->type_name("TITLE")
                         ->trigger_on_parse(),
                     std::string(right ? "--right" : "--series") + " takes a column title");
  }
  addRecordRange(command, options->range);
  app.add_flag("--time", options->time, "label the x axis with the records' dates and times");
  command.onMisuse(app.add_option_function<std::string>(
                          "--size",
                          [options](const std::string& text) {
                            if (!readSize(text, options->size)) throw CLI::ValidationError("--size", text);
                          },
                          "the image in pixels (PDF: points), default 1416x681")
                       ->type_name("WxH"),
                   "--size takes WIDTHxHEIGHT in pixels, each 1 to 20000");
  app.add_option("--workspace", options->workspace, "draw the chart of a saved workspace instead of DUMP")
      ->type_name("FILE");
  // Named DUMP, shown as "DUMP OUTPUT": CLI11 2.4 takes no blank in a name. The callback says
  // which files are missing.
  app.add_option("DUMP", options->files, "the dump file and the image file, *.png or *.pdf")
      ->option_text("OUTPUT ...");
  app.callback([options, &app] {
    if (options->series.size() > std::size_t(kSeriesCount)) throw CLI::ValidationError("at most 10 series");
    const auto& files = options->files;
    if (!options->workspace.empty()) {
      for (const char* drawn : {"--series", "--right", "--from", "--to", "--time"})
        if (app.count(drawn) > 0)
          throw CLI::ValidationError(std::string("--workspace draws what the workspace holds: no ") + drawn);
      if (files.size() != 1) throw CLI::ValidationError("with --workspace give OUTPUT alone");
      options->output = files[0];
    } else {
      if (files.size() != 2) throw CLI::ValidationError("give DUMP and OUTPUT");
      options->dump = files[0];
      options->output = files[1];
    }
    if (!imageFormatOf(QString::fromStdString(options->output)))
      throw CLI::ValidationError("OUTPUT must end in .png or .pdf");
  });
  command.setRun([options] { return run(*options); });
  return command;
}

}  // namespace kq::cli
