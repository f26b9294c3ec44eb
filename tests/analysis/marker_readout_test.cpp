#include "analysis/marker_readout.h"

#include <gtest/gtest.h>

#include "tests/support/model_builder.h"

namespace kq {
namespace {

// Four records of three value columns, at grid columns 3 to 5 (A, B, C).
DumpModel sampleGrid() {
  return test::modelOf({{"10", "11", "12", "13"}, {"13,5", "13,8", "14,1", "12,9"}, {"-2", "-1", "0", "5"}});
}
constexpr int A = kFrameColumns, B = kFrameColumns + 1, C = kFrameColumns + 2;

TEST(MarkerReadoutTest, ValuesDifferenceAndDistanceOfVisibleSeries) {
  DumpModel grid = sampleGrid();
  SeriesSource series[] = {{true, A, 4}, {false, B, 4}, {true, B, 4}, {true, C, 4}};
  MarkerReadout readout = readMarkers(grid, series, 0, 3);
  ASSERT_EQ(readout.distance, 3);
  ASSERT_EQ(readout.rows.size(), 3u);
  EXPECT_EQ(readout.rows[0].series, 0);
  EXPECT_EQ(readout.rows[0].atMarker1, "10");
  EXPECT_EQ(readout.rows[0].atMarker2, "13");
  EXPECT_EQ(readout.rows[0].difference, "3");
  EXPECT_EQ(readout.rows[1].series, 2);
  EXPECT_EQ(readout.rows[1].atMarker1, "13,5");
  EXPECT_EQ(readout.rows[1].atMarker2, "12,9");
  EXPECT_EQ(readout.rows[1].difference, "-0,6");
  EXPECT_EQ(readout.rows[2].difference, "7");
  EXPECT_EQ(readout.rows[1].minimum, "12,9");
  EXPECT_EQ(readout.rows[1].maximum, "14,1");
  EXPECT_EQ(readout.rows[1].mean, "13,575");
}

TEST(MarkerReadoutTest, MarkersInEitherOrderAndOnlyOneMarker) {
  DumpModel grid = sampleGrid();
  SeriesSource series[] = {{true, B, 4}};
  MarkerReadout backwards = readMarkers(grid, series, 2, 1);
  EXPECT_EQ(backwards.distance, -1);
  EXPECT_EQ(backwards.rows[0].difference, "-0,3");
  EXPECT_EQ(backwards.rows[0].minimum, "13,8");
  EXPECT_EQ(backwards.rows[0].mean, "13,95");

  MarkerReadout single = readMarkers(grid, series, std::nullopt, 1);
  EXPECT_FALSE(single.distance);
  EXPECT_EQ(single.rows[0].atMarker1, "");
  EXPECT_EQ(single.rows[0].atMarker2, "13,8");
  EXPECT_EQ(single.rows[0].difference, "");
  EXPECT_EQ(single.rows[0].mean, "");
}

TEST(MarkerReadoutTest, NoValueWhereASeriesHasNoPoint) {
  DumpModel grid = sampleGrid();
  // An emptied series, and one whose filling stopped after two points.
  SeriesSource series[] = {{true, -1, 0}, {true, A, 2}};
  MarkerReadout readout = readMarkers(grid, series, 1, 3);
  EXPECT_EQ(readout.rows[0].atMarker1, "");
  EXPECT_EQ(readout.rows[1].atMarker1, "11");
  EXPECT_EQ(readout.rows[1].atMarker2, "");
  EXPECT_EQ(readout.rows[1].difference, "");
  // Statistics over the points the series has.
  EXPECT_EQ(readout.rows[0].mean, "");
  EXPECT_EQ(readout.rows[1].minimum, "11");
  EXPECT_EQ(readout.rows[1].maximum, "11");
  EXPECT_EQ(seriesValueAt(grid, series[1], 1), "11");
  EXPECT_EQ(seriesValueAt(grid, series[1], -1), "");
}

TEST(MarkerReadoutTest, TimeBetweenTheMarkersInEitherOrder) {
  DumpModel grid(',');
  grid.addColumn("A");
  const char* rows[][2] = {{"31.12", "23:59:00"}, {"01.01", "00:01:30"}, {"01.01", "1A:00:00"}};
  for (int r = 0; r < 3; ++r) grid.appendRecord(rows[r][0], rows[r][1], r, {static_cast<long double>(r + 1)});
  SeriesSource series[] = {{true, A, 3}};
  EXPECT_EQ(readMarkers(grid, series, 0, 1).seconds, 150);
  EXPECT_EQ(readMarkers(grid, series, 1, 0).seconds, -150);
  EXPECT_EQ(readMarkers(grid, series, 1, 1).seconds, 0);
  EXPECT_FALSE(readMarkers(grid, series, 0, 2).seconds);  // not a time
  EXPECT_FALSE(readMarkers(grid, series, 0, std::nullopt).seconds);
}

TEST(MarkerReadoutTest, RecordsTheFilterDropsShowNoValue) {
  DumpModel grid = sampleGrid();
  SeriesSource series[] = {{true, B, 4}};
  const std::vector<char> kept = {1, 0, 1, 1};
  MarkerReadout readout = readMarkers(grid, series, 1, 3, kept);
  EXPECT_EQ(readout.rows[0].atMarker1, "");
  EXPECT_EQ(readout.rows[0].atMarker2, "12,9");
  EXPECT_EQ(readout.rows[0].minimum, "12,9");
  EXPECT_EQ(readout.rows[0].mean, "13,5");
}

}  // namespace
}  // namespace kq
