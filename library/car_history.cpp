#include "library/car_history.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <thread>

#include "analysis/value_cache.h"
#include "decode/parameter_table.h"
#include "decode/record_view.h"
#include "dump/block_layout.h"

namespace kq {
namespace {
Dump dumpOf(std::span<const HistoryRecord> records) {
  std::vector<StoredRecord> bytes;
  bytes.reserve(records.size());
  for (const HistoryRecord& record : records) bytes.push_back(record.bytes);
  return dumpOfRecords(bytes);
}

// A record's bytes as the first record of a line: the text a record view reads.
void writeRecordLine(const StoredRecord& record, std::string& line) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const std::size_t start = 3 * std::size_t(layout::kRecordStart[0]);
  line.assign(start + 3 * kStoredRecordBytes - 1, ' ');
  for (std::size_t i = 0; i < start; i += 3) line[i] = line[i + 1] = '0';
  for (std::size_t i = 0; i < record.size(); ++i) {
    line[start + 3 * i] = kDigits[record[i] >> 4];
    line[start + 3 * i + 1] = kDigits[record[i] & 0xF];
  }
}

// The records decoded as buildDumpModel decodes a dump (each value as its
// number text shows it), only the parameters of the titles given.
DumpModel decodedModel(int controllerType, std::span<const HistoryRecord> records, char decimalSeparator,
                       const std::optional<std::vector<std::string>>& titles, std::size_t reserved) {
  DumpModel model(decimalSeparator);
  model.setControllerType(controllerType);
  std::vector<ParameterColumn> columns;
  for (const ParameterColumn& column : parameterTable(controllerType)) {
    if (titles && std::find(titles->begin(), titles->end(), column.title) == titles->end()) continue;
    columns.push_back(column);
    model.addColumn(std::string(column.title));
  }
  model.reserve(reserved);
  std::vector<long double> values(columns.size());
  std::vector<ValueCache<long double, shownValue>> shown(columns.size());
  std::string line;
  for (const HistoryRecord& record : records) {
    writeRecordLine(record.bytes, line);
    const RecordView view(line, 1);
    for (std::size_t i = 0; i < columns.size(); ++i) values[i] = shown[i](columns[i].value(view));
    model.appendRecord(view.date(), view.time(), view.recordNumber(), values);
  }
  model.keepShownDigits();
  return model;
}

// A long history is decoded in two halves at once, the later on a thread of
// its own: on two cores a year of a car takes half the time.
constexpr std::size_t kRecordsWorthAThread = 20000;

DumpModel modelOf(int controllerType, std::span<const HistoryRecord> records, char decimalSeparator,
                  const std::optional<std::vector<std::string>>& titles) {
  if (records.size() < kRecordsWorthAThread || std::thread::hardware_concurrency() < 2)
    return decodedModel(controllerType, records, decimalSeparator, titles, records.size());
  const std::size_t half = records.size() / 2;
  std::optional<DumpModel> later;
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      later = decodedModel(controllerType, records.subspan(half), decimalSeparator, titles,
                           records.size() - half);
    } catch (...) {
      failure = std::current_exception();
    }
  });
  std::optional<DumpModel> model;
  try {
    model = decodedModel(controllerType, records.first(half), decimalSeparator, titles, records.size());
  } catch (...) {
    worker.join();
    throw;
  }
  worker.join();
  if (failure) std::rethrow_exception(failure);
  model->appendRecordsOf(std::move(*later));
  return std::move(*model);
}
}  // namespace

std::vector<std::string> titlesNamedBy(int controllerType, std::span<const std::string> expressions,
                                       std::span<const ChannelDefinition> channels) {
  std::vector<std::string> known;
  for (const ParameterColumn& column : parameterTable(controllerType)) known.emplace_back(column.title);
  const std::size_t parameters = known.size();
  std::vector<char> named(parameters, 0);
  const auto collect = [&](const std::string& text) {
    try {
      for (int column : Expression(text, known).columns())
        if (const auto item = std::size_t(column - kFrameColumns); item < parameters) named[item] = 1;
    } catch (const ExpressionError&) {
    }
  };
  for (const std::string& expression : expressions) collect(expression);
  for (const ChannelDefinition& channel : channels) {
    collect(channel.formula);
    known.push_back(channel.name);
  }
  std::vector<std::string> titles;
  for (std::size_t i = 0; i < parameters; ++i)
    if (named[i]) titles.push_back(known[i]);
  return titles;
}

std::vector<Trip> splitTrips(std::span<const Moment> moments, Moment gap) {
  std::vector<Trip> trips;
  for (std::size_t i = 0; i < moments.size(); ++i) {
    if (trips.empty() || moments[i] - moments[i - 1] > gap) {
      trips.push_back({int(trips.size()) + 1, int(i), int(i), moments[i], moments[i]});
    } else {
      trips.back().last = int(i);
      trips.back().end = moments[i];
    }
  }
  return trips;
}

CarHistory::CarHistory(int controllerType, std::vector<HistoryRecord> records, char decimalSeparator,
                       Moment gap, std::optional<std::vector<std::string>> titles)
    : controllerType_(controllerType),
      records_(std::move(records)),
      model_(modelOf(controllerType, records_, decimalSeparator, titles)) {
  std::vector<Moment> moments;
  moments.reserve(records_.size());
  for (const HistoryRecord& record : records_) moments.push_back(record.moment);
  trips_ = splitTrips(moments, gap);
  tripStarts_.assign(records_.size(), 0);
  for (const Trip& trip : trips_) tripStarts_[std::size_t(trip.first)] = 1;
}

const Trip* CarHistory::trip(int number) const {
  if (number < 1 || number > int(trips_.size())) return nullptr;
  return &trips_[std::size_t(number - 1)];
}

void CarHistory::addChannels(std::span<const ChannelDefinition> channels) {
  const int before = model_.columnCount();
  try {
    kq::addChannels(model_, channels, tripStarts_);
  } catch (...) {
    while (model_.columnCount() > before) model_.removeDerived(model_.columnCount() - 1);
    throw;
  }
}

std::optional<ColumnStatistics> tripStatistics(const CarHistory& history, const Trip& trip, int column) {
  return columnStatistics(history.model(), column, trip.first, trip.last);
}

std::vector<HistoryEvent> findEvents(const CarHistory& history, std::string_view expression,
                                     Moment minSeconds) {
  const DumpModel& model = history.model();
  const std::vector<char> holds = Expression(expression, model).keep(model, history.tripStarts());
  std::vector<HistoryEvent> events;
  for (const Trip& trip : history.trips()) {
    for (int i = trip.first; i <= trip.last; ++i) {
      if (!holds[std::size_t(i)]) continue;
      int last = i;
      while (last < trip.last && holds[std::size_t(last) + 1]) ++last;
      const Moment start = history.moment(i), end = history.moment(last);
      if (end - start >= minSeconds) events.push_back({trip.number, i, last, start, end});
      i = last;
    }
  }
  return events;
}

std::vector<TrendPoint> trend(const CarHistory& history, int column, TrendStatistic statistic) {
  std::vector<TrendPoint> points;
  points.reserve(history.trips().size());
  for (const Trip& trip : history.trips()) {
    TrendPoint point{trip.number, trip.start, std::nullopt};
    if (const std::optional<ColumnStatistics> statistics = tripStatistics(history, trip, column)) {
      switch (statistic) {
        case TrendStatistic::minimum:
          point.value = statistics->minimum;
          break;
        case TrendStatistic::maximum:
          point.value = statistics->maximum;
          break;
        case TrendStatistic::mean:
          point.value = statistics->mean;
          break;
      }
    }
    points.push_back(point);
  }
  return points;
}

Dump tripDump(const CarHistory& history, const Trip& trip) {
  return dumpOf(std::span(history.records()).subspan(std::size_t(trip.first), std::size_t(trip.records())));
}

ChartDrive tripDrive(const CarHistory& history, const Trip& trip, const std::string& label) {
  ChartDrive drive;
  drive.label = label;
  drive.model =
      modelOf(history.controllerType(),
              std::span(history.records()).subspan(std::size_t(trip.first), std::size_t(trip.records())),
              history.model().decimalSeparator(), std::nullopt);
  return drive;
}

}  // namespace kq
