#include "library/car_report.h"

#include <algorithm>
#include <ctime>
#include <set>
#include <string_view>

#include "analysis/expression.h"
#include "base/os_calls.h"
#include "decode/parameter_table.h"

namespace kq {
namespace {

std::vector<std::string> typeTitles(int controllerType) {
  std::vector<std::string> titles;
  for (const ParameterColumn& column : parameterTable(controllerType)) titles.emplace_back(column.title);
  return titles;
}

[[noreturn]] void missingParameter(int controllerType, const std::string& title) {
  throw ReportError("у типа контроллера " + std::to_string(controllerType) + " нет параметра «" + title +
                    "»");
}

[[noreturn]] void wrongCheck(const ReportCheck& check, const ExpressionError& error) {
  throw ReportError("проверка «" + check.name + "»: " + error.what());
}

bool within(Moment moment, Moment from, Moment to) { return moment >= from && moment <= to; }

// Statistics over every record of the trips.
std::optional<ColumnStatistics> statisticsOver(const CarHistory& history, int column,
                                               const std::vector<const Trip*>& trips) {
  if (trips.empty()) return std::nullopt;
  std::vector<char> kept(history.records().size(), 0);
  for (const Trip* trip : trips) std::fill(kept.begin() + trip->first, kept.begin() + trip->last + 1, 1);
  return columnStatistics(history.model(), column, trips.front()->first, trips.back()->last, kept);
}

}  // namespace

std::string reportFileName(const std::string& car, std::int64_t madeAt) {
  std::string name;
  for (const char c : car)
    name += std::string_view("/\\:*?\"<>|").find(c) == std::string_view::npos ? c : '_';
  if (name == "." || name == "..") name = "_";
  const std::tm local = localTime(std::time_t(madeAt));
  char date[16];
  return name + '-' + std::string(date, std::strftime(date, sizeof date, "%Y-%m-%d", &local)) + ".pdf";
}

std::vector<int> CheckEvents::trips() const {
  std::vector<int> numbers;
  for (const HistoryEvent& event : events)
    if (numbers.empty() || numbers.back() != event.trip) numbers.push_back(event.trip);
  return numbers;
}

std::vector<std::string> reportTitles(int controllerType, const ReportTemplate& report) {
  std::vector<std::string> expressions;
  for (const std::string& title : report.parameters) expressions.push_back("[" + title + "]");
  for (const ReportCheck& check : report.checks) expressions.push_back(check.expression);
  return titlesNamedBy(controllerType, expressions);
}

void checkReportTemplate(int controllerType, const ReportTemplate& report) {
  const std::vector<std::string> titles = typeTitles(controllerType);
  for (const std::string& title : report.parameters)
    if (std::find(titles.begin(), titles.end(), title) == titles.end())
      missingParameter(controllerType, title);
  for (const ReportCheck& check : report.checks) {
    try {
      Expression(check.expression, titles);
    } catch (const ExpressionError& error) {
      wrongCheck(check, error);
    }
  }
}

CarReport buildCarReport(const CarHistory& history, const std::string& car, const ReportTemplate& report,
                         const ReportSpan& span, std::int64_t madeAt) {
  const DumpModel& model = history.model();
  CarReport result;
  result.car = car;
  result.controllerType = history.controllerType();
  result.madeAt = madeAt;
  result.parameters = report.parameters;

  std::vector<int> columns;
  for (const std::string& title : report.parameters) {
    const std::optional<int> column = model.columnOf(title);
    if (!column) missingParameter(history.controllerType(), title);
    columns.push_back(*column);
  }
  for (const ReportCheck& check : report.checks) {
    try {
      result.checks.push_back({check, findEvents(history, check.expression, check.minSeconds)});
    } catch (const ExpressionError& error) {
      wrongCheck(check, error);
    }
  }
  const std::vector<Trip>& all = history.trips();
  if (all.empty()) {
    for (CheckEvents& check : result.checks) check.events.clear();
    for (std::size_t i = 0; i < columns.size(); ++i)
      result.trends.push_back({report.parameters[i], columns[i], {}, {}, {}});
    return result;
  }

  // The trips of the span, and the span's ends.
  const std::set<int> chosen(span.trips.begin(), span.trips.end());
  const Moment from = span.from.value_or(all.front().start);
  // Nothing came after `from` (a visit with no trip since the last report): an empty span there.
  const Moment to = std::max(from, span.to.value_or(all.back().end));
  std::vector<const Trip*> trips;
  for (const Trip& trip : all)
    if (within(trip.start, from, to) && (chosen.empty() || chosen.count(trip.number))) trips.push_back(&trip);
  result.from = from;
  result.to = to;
  if (!chosen.empty() && !trips.empty()) {
    result.from = trips.front()->start;
    result.to = trips.back()->end;
  }
  const std::set<int> inSpan = [&trips] {
    std::set<int> numbers;
    for (const Trip* trip : trips) numbers.insert(trip->number);
    return numbers;
  }();
  for (CheckEvents& check : result.checks)
    std::erase_if(check.events, [&inSpan](const HistoryEvent& event) { return !inSpan.count(event.trip); });

  for (const Trip* trip : trips) {
    ReportTrip row{*trip, {}, 0};
    for (int column : columns) row.statistics.push_back(tripStatistics(history, *trip, column));
    for (const CheckEvents& check : result.checks)
      row.events +=
          int(std::count_if(check.events.begin(), check.events.end(),
                            [trip](const HistoryEvent& event) { return event.trip == trip->number; }));
    result.records += trip->records();
    result.drivingSeconds += trip->end - trip->start;
    result.trips.push_back(std::move(row));
  }

  // The span before, of the same length.
  const Moment length = *result.to - *result.from + 1;
  result.beforeTo = *result.from - 1;
  result.beforeFrom = *result.from - length;
  std::vector<const Trip*> before;
  for (const Trip& trip : all)
    if (within(trip.start, *result.beforeFrom, *result.beforeTo)) before.push_back(&trip);
  result.tripsBefore = int(before.size());

  for (std::size_t i = 0; i < columns.size(); ++i) {
    ParameterTrend trend{report.parameters[i],
                         columns[i],
                         statisticsOver(history, columns[i], trips),
                         statisticsOver(history, columns[i], before),
                         {}};
    for (const ReportTrip& row : result.trips) {
      const auto& statistics = row.statistics[i];
      trend.means.push_back({row.trip.number, row.trip.start,
                             statistics ? std::optional<long double>(statistics->mean) : std::nullopt});
    }
    result.trends.push_back(std::move(trend));
  }

  for (const ReportTrip& row : result.trips) {
    if (row.events == 0) continue;
    if (int(result.chartedTrips.size()) < report.charts)
      result.chartedTrips.push_back(row.trip.number);
    else
      ++result.chartsLeftOut;
  }
  return result;
}

}  // namespace kq
