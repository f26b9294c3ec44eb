// kq-cli chart: the chart window's chart of a dump file, drawn without a
// display into a PNG or PDF file.
#include <QApplication>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "analysis/dump_model.h"
#include "chart/plot_image.h"
#include "chart/series_plot.h"
#include "cli/commands.h"
#include "cli/record_range.h"
#include "dump/dump_file.h"
#include "dump/safe_file.h"
#include "regional/decimal_separator.h"

namespace kq::cli {
namespace {

constexpr const char* kChartHelp =
    "Usage: kq-cli chart [--series TITLE]... [--right TITLE]... [--from N] [--to N]\n"
    "                    [--time] [--size WxH] DUMP OUTPUT\n"
    "\n"
    "Draws the chart of the dump file DUMP as the chart window draws it (the\n"
    "same colours, legend and axes) into OUTPUT, a PNG or PDF file by its\n"
    "extension. No display is needed.\n"
    "\n"
    "  --series TITLE  plot the parameter of that column title on the left axis\n"
    "  --right TITLE   plot it on the right axis (series take the window's\n"
    "                  colours in the order given; at most 10; without either,\n"
    "                  the window's first choice)\n"
    "  --from N, --to N  the first and last chart position shown (0-based, as\n"
    "                  the chart's 'Точка данных')\n"
    "  --time          label the x axis with the records' dates and times\n"
    "  --size WxH      the image in pixels (PDF: points), default 1416x681\n";

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
  std::string dump;
  std::string output;
};

int usageError(const std::string& message) {
  std::fprintf(stderr, "kq-cli chart: %s\n", message.c_str());
  return 2;
}

bool readSize(const std::string& text, QSize& size) {
  int width = 0, height = 0;
  char end = 0;
  if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &end) != 2) return false;
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
  size = QSize(width, height);
  return true;
}

// Returns the exit status of a usage error, or 0 when the options are fine.
int parseOptions(const std::vector<std::string>& args, Options& options) {
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    RangeOption rangeOption = takeRangeOption(args, i, options.range);
    if (rangeOption == RangeOption::invalid)
      return usageError("--from and --to take a position of 0 or more");
    if (rangeOption == RangeOption::taken) continue;
    if (arg == "--series" || arg == "--right") {
      if (i + 1 >= args.size()) return usageError(arg + " takes a column title");
      options.series.push_back({args[++i], arg == "--right"});
    } else if (arg == "--time") {
      options.time = true;
    } else if (arg == "--size") {
      if (i + 1 >= args.size() || !readSize(args[++i], options.size))
        return usageError("--size takes WIDTHxHEIGHT in pixels, each 1 to 20000");
    } else if (arg.size() > 1 && arg[0] == '-') {
      return usageError("unknown option '" + arg + "'");
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) {
    std::fputs(kChartHelp, stderr);
    return 2;
  }
  if (options.series.size() > std::size_t(SeriesPlot::kSeriesCount)) return usageError("at most 10 series");
  options.dump = positional[0];
  options.output = positional[1];
  if (!imageFormatOf(QString::fromStdString(options.output)))
    return usageError("OUTPUT must end in .png or .pdf");
  return 0;
}

// The grid item of every series, or the message naming a title the dump's
// controller type does not have.
std::string chooseItems(const Options& options, const DumpModel& model, std::vector<Options::Series>& chosen,
                        std::vector<int>& items) {
  const std::vector<std::string> titles = model.titles();
  chosen = options.series;
  if (chosen.empty()) {
    for (int item : SeriesPlot::kInitialItems)
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
  for (int unused = int(chosen.size()); unused < SeriesPlot::kSeriesCount; ++unused)
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

}  // namespace

int runChart(const std::vector<std::string>& args) {
  for (const auto& arg : args) {
    if (arg == "--help" || arg == "-h") {
      std::fputs(kChartHelp, stdout);
      return 0;
    }
  }
  Options options;
  if (int status = parseOptions(args, options)) return status;

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

    // The chart is drawn off screen: no display is needed or used.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kq-cli";
    static char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    const QByteArray image = drawChart(options, model, chosen, items);
    writeFileSafely(options.output, std::string_view(image.constData(), std::size_t(image.size())));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}

}  // namespace kq::cli
