#include "analysis/marker_readout.h"

#include <gtest/gtest.h>

namespace kq {
namespace {

// Rows 1 to 4 of three value columns.
ChartGrid sampleGrid() {
  const char* cells[][3] = {
      {"10", "13,5", "-2"}, {"11", "13,8", "-1"}, {"12", "14,1", "0"}, {"13", "12,9", "5"}};
  ChartGrid grid(4);
  grid.beginRow();
  for (const char* title : {"Номер записи", "A", "B", "C"}) grid.appendCell(title);
  for (int row = 0; row < 4; ++row) {
    grid.beginRow();
    grid.appendCell(std::to_string(row));
    for (const char* cell : cells[row]) grid.appendCell(cell);
  }
  return grid;
}

TEST(MarkerReadoutTest, ValuesDifferenceAndDistanceOfVisibleSeries) {
  ChartGrid grid = sampleGrid();
  SeriesSource series[] = {{true, 1, 4}, {false, 2, 4}, {true, 2, 4}, {true, 3, 4}};
  MarkerReadout readout = readMarkers(grid, series, 0, 3, ',');
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
  ChartGrid grid = sampleGrid();
  SeriesSource series[] = {{true, 2, 4}};
  MarkerReadout backwards = readMarkers(grid, series, 2, 1, ',');
  EXPECT_EQ(backwards.distance, -1);
  EXPECT_EQ(backwards.rows[0].difference, "-0,3");
  EXPECT_EQ(backwards.rows[0].minimum, "13,8");
  EXPECT_EQ(backwards.rows[0].mean, "13,95");

  MarkerReadout single = readMarkers(grid, series, std::nullopt, 1, ',');
  EXPECT_FALSE(single.distance);
  EXPECT_EQ(single.rows[0].atMarker1, "");
  EXPECT_EQ(single.rows[0].atMarker2, "13,8");
  EXPECT_EQ(single.rows[0].difference, "");
  EXPECT_EQ(single.rows[0].mean, "");
}

TEST(MarkerReadoutTest, NoValueWhereASeriesHasNoPoint) {
  ChartGrid grid = sampleGrid();
  // An emptied series, and one whose filling stopped after two points.
  SeriesSource series[] = {{true, -1, 0}, {true, 1, 2}};
  MarkerReadout readout = readMarkers(grid, series, 1, 3, ',');
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
  ChartGrid grid(3);
  const char* rows[][3] = {{"Дата", "Время", "A"},
                           {"31.12", "23:59:00", "1"},
                           {"01.01", "00:01:30", "2"},
                           {"01.01", "1A:00:00", "3"}};
  for (const auto& row : rows) {
    grid.beginRow();
    for (const char* cell : row) grid.appendCell(cell);
  }
  SeriesSource series[] = {{true, 2, 3}};
  EXPECT_EQ(readMarkers(grid, series, 0, 1, ',').seconds, 150);
  EXPECT_EQ(readMarkers(grid, series, 1, 0, ',').seconds, -150);
  EXPECT_EQ(readMarkers(grid, series, 1, 1, ',').seconds, 0);
  EXPECT_FALSE(readMarkers(grid, series, 0, 2, ',').seconds);  // not a time
  EXPECT_FALSE(readMarkers(grid, series, 0, std::nullopt, ',').seconds);
}

}  // namespace
}  // namespace kq
