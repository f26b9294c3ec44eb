#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/chart_drive.h"
#include "analysis/column_statistics.h"
#include "analysis/dump_model.h"
#include "analysis/expression.h"
#include "dump/dump.h"
#include "library/library_store.h"
#include "library/record_moment.h"

namespace kq {

// Records further apart than this start a new trip.
inline constexpr Moment kDefaultTripGap = 300;

// A trip: records in history order from first to last (positions in the
// history), each within the gap of the one before.
struct Trip {
  int number = 0;  // from 1, in time order
  int first = 0;
  int last = 0;
  Moment start = 0;
  Moment end = 0;
  int records() const { return last - first + 1; }
};

// Splits moments in history order into trips: a new trip starts where the time
// to the previous record exceeds the gap.
std::vector<Trip> splitTrips(std::span<const Moment> moments, Moment gap = kDefaultTripGap);

// A car's dated records decoded as the chart decodes a dump (with the car's
// controller type, whatever a record holds at offset 9), in history order and
// split into trips. Expressions over it see "[T@-1]" as the previous record of
// the same trip: a trip's first record has none.
class CarHistory {
 public:
  // Decodes the parameters of these titles (as titlesNamedBy gives them),
  // else every parameter of the type: a year of history decodes far faster
  // when only what an analysis names is.
  CarHistory(int controllerType, std::vector<HistoryRecord> records, char decimalSeparator,
             Moment gap = kDefaultTripGap, std::optional<std::vector<std::string>> titles = std::nullopt);

  int controllerType() const { return controllerType_; }
  const DumpModel& model() const { return model_; }
  const std::vector<HistoryRecord>& records() const { return records_; }
  Moment moment(int position) const { return records_[std::size_t(position)].moment; }
  const std::vector<Trip>& trips() const { return trips_; }
  // By number, from 1; nothing outside.
  const Trip* trip(int number) const;
  // Marks each trip's first record: there "@-1" has no value.
  std::span<const char> tripStarts() const { return tripStarts_; }

  // Derived channels after the decoded columns, in order, as the chart adds
  // them. Throws std::runtime_error ("канал «NAME»: ...") and then adds none.
  void addChannels(std::span<const ChannelDefinition> channels);

 private:
  int controllerType_;
  std::vector<HistoryRecord> records_;
  DumpModel model_;
  std::vector<Trip> trips_;
  std::vector<char> tripStarts_;
};

// The parameters of a controller type that expressions and channels name
// (a channel may name the ones before it); a title the type lacks is left to
// the expression's own error when it is compiled over the history.
std::vector<std::string> titlesNamedBy(int controllerType, std::span<const std::string> expressions,
                                       std::span<const ChannelDefinition> channels = {});

// Minimum, maximum and mean of a column over a trip, exactly as the chart's
// statistics give them; nothing where the column has no value there.
std::optional<ColumnStatistics> tripStatistics(const CarHistory& history, const Trip& trip, int column);

// Where an expression holds: each longest run of consecutive records of one
// trip where it has a value other than 0, lasting at least minSeconds (its
// last record's moment minus its first's).
struct HistoryEvent {
  int trip = 0;  // its number
  int first = 0;
  int last = 0;
  Moment start = 0;
  Moment end = 0;
  int records() const { return last - first + 1; }
};
// Throws ExpressionError.
std::vector<HistoryEvent> findEvents(const CarHistory& history, std::string_view expression,
                                     Moment minSeconds = 0);

// One statistic of one column per trip, over time.
enum class TrendStatistic { minimum, maximum, mean };
struct TrendPoint {
  int trip = 0;
  Moment start = 0;
  std::optional<long double> value;  // nothing where the trip has no value of it
};
std::vector<TrendPoint> trend(const CarHistory& history, int column, TrendStatistic statistic);

// A trip's records as a dump file holds them (see dumpOfRecords).
Dump tripDump(const CarHistory& history, const Trip& trip);
// A trip as a drive for the chart, named by its label (its own model, its
// first record at position 0).
ChartDrive tripDrive(const CarHistory& history, const Trip& trip, const std::string& label);

}  // namespace kq
