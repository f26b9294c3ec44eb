#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/column_statistics.h"
#include "library/car_history.h"
#include "library/report_template.h"

namespace kq {

// What a report covers: the trips that start within [from, to] (either end
// open), or of those only the trips chosen by number.
struct ReportSpan {
  std::optional<Moment> from;
  std::optional<Moment> to;
  std::vector<int> trips;
};

// A check of the template with the events it found.
struct CheckEvents {
  ReportCheck check;
  std::vector<HistoryEvent> events;
  // The trips where it happened, by number, in order.
  std::vector<int> trips() const;
};

// A parameter over the span and over the span of the same length before it:
// its statistics over every record of their trips, and the mean per trip.
struct ParameterTrend {
  std::string title;
  int column = 0;
  std::optional<ColumnStatistics> span;
  std::optional<ColumnStatistics> before;
  std::vector<TrendPoint> means;  // per trip of the span
};

// A trip of the report with the statistics of each parameter over it.
struct ReportTrip {
  Trip trip;
  std::vector<std::optional<ColumnStatistics>> statistics;  // by parameter
  int events = 0;
};

// The answers a report gives of one car over a span, computed from its history.
struct CarReport {
  std::string car;
  int controllerType = 0;
  std::int64_t madeAt = 0;  // system time, UTC seconds
  // The span asked for, its open ends closed by the history's first and last
  // records; nothing for a car without dated records.
  std::optional<Moment> from;
  std::optional<Moment> to;
  std::vector<ReportTrip> trips;
  std::int64_t records = 0;
  Moment drivingSeconds = 0;  // the trips' durations added up
  std::vector<std::string> parameters;
  std::vector<ParameterTrend> trends;  // by parameter
  // The span before: as long, ending where this one starts; its trips.
  std::optional<Moment> beforeFrom;
  std::optional<Moment> beforeTo;
  int tripsBefore = 0;
  std::vector<CheckEvents> checks;
  // The trips charted: those with events, in time order, at most the
  // template's charts; chartsLeftOut more had events.
  std::vector<int> chartedTrips;
  int chartsLeftOut = 0;
};

// A template that does not fit the car: a parameter its type lacks, a check
// whose expression is wrong. what() names it ("проверка «Перегрев»: позиция 3: ...").
class ReportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "NAME-YYYY-MM-DD.pdf" of a report made at a system time (local day), what
// a file system would refuse or read as a folder in the name made "_".
std::string reportFileName(const std::string& car, std::int64_t madeAt);

// The titles a history for the template must decode.
std::vector<std::string> reportTitles(int controllerType, const ReportTemplate& report);

// Throws ReportError unless every parameter and check of the template fits a
// controller type; what the window checks before it builds anything.
void checkReportTemplate(int controllerType, const ReportTemplate& report);

// The report over a history decoded with at least reportTitles. Throws ReportError.
CarReport buildCarReport(const CarHistory& history, const std::string& car, const ReportTemplate& report,
                         const ReportSpan& span, std::int64_t madeAt);

}  // namespace kq
