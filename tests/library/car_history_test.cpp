#include "library/car_history.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/column_statistics.h"
#include "sim/log_ring.h"
#include "tests/support/dump_builder.h"

namespace kq {
namespace {
const CalendarDate kReference{2027, 3, 1};

TEST(SplitTripsTest, ATripEndsWhereTheNextRecordIsMoreThanTheGapLater) {
  const std::vector<Moment> moments = {0, 2, 302, 603, 603, 1000};
  const std::vector<Trip> trips = splitTrips(moments, 300);
  ASSERT_EQ(trips.size(), 3u);
  EXPECT_EQ(trips[0].first, 0);
  EXPECT_EQ(trips[0].last, 2);
  EXPECT_EQ(trips[1].first, 3);
  EXPECT_EQ(trips[1].records(), 2);
  EXPECT_EQ(trips[2].number, 3);
  EXPECT_EQ(trips[2].start, 1000);
  EXPECT_TRUE(splitTrips({}, 300).empty());
  EXPECT_EQ(splitTrips(moments, 1000).size(), 1u);
}

// Records of a type-6 drive from the simulator, dated as an import dates them.
std::vector<HistoryRecord> driveRecords(int count) {
  sim::LogRing ring(6);
  ring.write(count);
  std::vector<HistoryRecord> records;
  for (const DumpRecord& record : recordsOfDump(ring.download()))
    records.push_back(
        {RowId(record.slot), *recordMoment(record.date, record.time, kReference), record.bytes});
  return records;
}

TEST(CarHistoryModelTest, ALongHistoryDecodesAsTheChartDecodesItsDump) {
  // Four whole memories one after another: long enough to be decoded in halves.
  sim::LogRing ring(6);
  std::vector<HistoryRecord> records;
  std::vector<StoredRecord> bytes;
  for (int download = 0; download < 4; ++download) {
    ring.write(sim::kMaxRecords);
    for (const DumpRecord& record : recordsOfDump(ring.download())) {
      records.push_back({RowId(records.size()), Moment(records.size()), record.bytes});
      bytes.push_back(record.bytes);
    }
  }
  const CarHistory history(6, records, ',');
  const DumpModel expected = buildDumpModel(dumpOfRecords(bytes), ',', 6);
  const DumpModel& model = history.model();
  ASSERT_EQ(model.recordCount(), expected.recordCount());
  ASSERT_EQ(model.titles(), expected.titles());
  for (int column = kRecordNumberColumn; column < model.columnCount(); ++column) {
    const std::vector<long double>&got = model.values(column), &want = expected.values(column);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
      ASSERT_TRUE(got[i] == want[i] || (std::isnan(got[i]) && std::isnan(want[i]))) << column << " " << i;
    const auto statistics = columnStatistics(model, column, 0, model.recordCount() - 1);
    const auto reference = columnStatistics(expected, column, 0, expected.recordCount() - 1);
    ASSERT_EQ(statistics.has_value(), reference.has_value()) << column;
    if (statistics) {
      EXPECT_EQ(statistics->mean, reference->mean) << column;
    }
  }
  EXPECT_EQ(model.date(model.recordCount() - 1), expected.date(expected.recordCount() - 1));
}

class CarHistoryTest : public testing::Test {
 protected:
  CarHistory history{6, driveRecords(4000), ','};
  int rpm = *history.model().columnOf("Обороты двигателя");
};

TEST_F(CarHistoryTest, TripStatisticsAreThoseOfTheTripsOwnDump) {
  ASSERT_GT(history.trips().size(), 2u);
  for (const Trip& trip : history.trips()) {
    // Independently: the trip written as a dump and decoded as the chart decodes a file.
    const DumpModel own = buildDumpModel(tripDump(history, trip), ',');
    ASSERT_EQ(own.recordCount(), trip.records());
    const auto expected = columnStatistics(own, rpm, 0, own.recordCount() - 1);
    const auto statistics = tripStatistics(history, trip, rpm);
    ASSERT_EQ(statistics.has_value(), expected.has_value());
    EXPECT_EQ(statistics->mean, expected->mean);
    EXPECT_EQ(statistics->maximum, expected->maximum);
    EXPECT_EQ(tripDrive(history, trip, "поездка").model.recordCount(), trip.records());
  }
  const std::vector<TrendPoint> points = trend(history, rpm, TrendStatistic::maximum);
  ASSERT_EQ(points.size(), history.trips().size());
  EXPECT_EQ(*points[1].value, tripStatistics(history, history.trips()[1], rpm)->maximum);
  EXPECT_EQ(points[1].start, history.trips()[1].start);
}

TEST_F(CarHistoryTest, PreviousRecordIsWithinTheTrip) {
  // Holds wherever the record has a previous one: everywhere but at trip starts.
  const std::vector<HistoryEvent> events = findEvents(history, "[Обороты двигателя@-1] >= 0");
  ASSERT_EQ(events.size(), history.trips().size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    const Trip& trip = history.trips()[i];
    EXPECT_EQ(events[i].trip, trip.number);
    EXPECT_EQ(events[i].first, trip.first + 1);
    EXPECT_EQ(events[i].last, trip.last);
  }
  // A channel over the previous record has no value at a trip's start either.
  const ChannelDefinition change{"Прирост", "[Обороты двигателя] - [Обороты двигателя@-1]"};
  history.addChannels(std::span(&change, 1));
  const int column = *history.model().columnOf("Прирост");
  EXPECT_TRUE(std::isnan(history.model().values(column)[std::size_t(history.trips()[1].first)]));
  EXPECT_FALSE(std::isnan(history.model().values(column)[std::size_t(history.trips()[1].first + 1)]));
  const ChannelDefinition wrong{"Плохой", "[Нет такого]"};
  const int columns = history.model().columnCount();
  EXPECT_THROW(history.addChannels(std::span(&wrong, 1)), std::runtime_error);
  EXPECT_EQ(history.model().columnCount(), columns);
}

TEST_F(CarHistoryTest, EventsAreTheLongestRunsLastingLongEnough) {
  const std::vector<HistoryEvent> all = findEvents(history, "[Обороты двигателя] > 2500");
  ASSERT_FALSE(all.empty());
  const std::vector<long double>& values = history.model().values(rpm);
  for (const HistoryEvent& event : all) {
    for (int i = event.first; i <= event.last; ++i) EXPECT_GT(values[std::size_t(i)], 2500);
    const Trip& trip = *history.trip(event.trip);
    EXPECT_TRUE(event.first == trip.first || values[std::size_t(event.first) - 1] <= 2500);
    EXPECT_TRUE(event.last == trip.last || values[std::size_t(event.last) + 1] <= 2500);
  }
  const std::vector<HistoryEvent> long_ = findEvents(history, "[Обороты двигателя] > 2500", 60);
  EXPECT_LT(long_.size(), all.size());
  for (const HistoryEvent& event : long_) EXPECT_GE(event.end - event.start, 60);
  EXPECT_THROW(findEvents(history, "[Обороты двигателя] >"), ExpressionError);
}

TEST(TripDumpTest, RecordsComeBackAsTheyWereStoredWithAnOddOneBesideAnEmpty) {
  std::vector<StoredRecord> stored(3);
  for (std::size_t i = 0; i < stored.size(); ++i) stored[i].fill(std::uint8_t(0x20 + i));
  const Dump dump = dumpOfRecords(stored);
  ASSERT_EQ(dump.size(), 2u);
  EXPECT_EQ(dump.line(0).substr(0, 9), "00 00 00 ");
  const std::vector<DumpRecord> back = recordsOfDump(dump);
  ASSERT_EQ(back.size(), 3u);
  for (std::size_t i = 0; i < back.size(); ++i) EXPECT_EQ(back[i].bytes, stored[i]);
  EXPECT_EQ(dump.line(1).substr(3 * 131, 2), "FF");
}

}  // namespace
}  // namespace kq
