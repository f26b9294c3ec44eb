#include "analysis/drive_comparison.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "analysis/record_time.h"

namespace kq {
namespace {

struct Sample {
  const char* date;
  const char* time;
  long double throttle;
};

// A drive of one parameter "Дроссель" (and "Обороты" unless left out),
// records numbered from `firstNumber`.
DumpModel driveOf(const std::vector<Sample>& samples, int firstNumber = 0, bool withRpm = true) {
  DumpModel model;
  model.addColumn("Дроссель");
  if (withRpm) model.addColumn("Обороты");
  for (const Sample& s : samples)
    model.appendRecord(s.date, s.time, firstNumber++, {s.throttle, s.throttle * 30});
  return model;
}

TEST(DriveComparisonTest, MomentsOfRecords) {
  const long start = *secondsIntoYear("31.12", "23:59:58");
  struct Case {
    const char* what;
    std::vector<Sample> samples;
    std::vector<double> moments;
  };
  const Case cases[] = {
      {"across the turn of the year",
       {{"31.12", "23:59:58", 0}, {"01.01", "00:00:00", 0}, {"01.01", "00:00:03", 0}},
       {double(start), double(start + 2), double(start + 5)}},
      {"an unreadable time holds the one before, a leading one the first readable",
       {{"3A.12", "23:59:58", 0},
        {"31.12", "23:59:58", 0},
        {"31.12", "2F:00:00", 0},
        {"01.01", "00:00:00", 0}},
       {double(start), double(start), double(start), double(start + 2)}},
      {"no readable time: a second a record", {{"FF.FF", "FF:FF:FF", 0}, {"FF.FF", "FF:FF:FF", 0}}, {0, 1}},
  };
  for (const Case& c : cases) EXPECT_EQ(recordMoments(driveOf(c.samples)), c.moments) << c.what;
}

// Three drives on different days and clocks, the throttle first above 80 at
// their fourth, second and fifth record; the last lacks "Обороты".
std::vector<DumpModel> threeDrives() {
  return {driveOf({{"01.03", "10:00:00", 10},
                   {"01.03", "10:00:02", 20},
                   {"01.03", "10:00:04", 50},
                   {"01.03", "10:00:06", 85},
                   {"01.03", "10:00:08", 90}},
                  100),
          driveOf({{"02.03", "08:00:00", 70}, {"02.03", "08:00:01", 81}, {"02.03", "08:00:02", 95}}, 7),
          driveOf({{"28.02", "23:59:50", 0},
                   {"28.02", "23:59:55", 10},
                   {"01.03", "00:00:00", 40},
                   {"01.03", "00:00:05", 60},
                   {"01.03", "00:00:10", 99},
                   {"01.03", "00:00:15", 10}},
                  0, false)};
}

TEST(DriveComparisonTest, AlignmentDoesNotDependOnTheOrderOfOpening) {
  const std::vector<DumpModel> drives = threeDrives();
  std::vector<int> order = {0, 1, 2};
  // Per order: the aligned time of every record of every drive, by drive.
  std::vector<std::vector<std::vector<double>>> byStart, byEvent;
  do {
    DriveComparison comparison;
    for (int d : order) comparison.addDrive(drives[d]);
    std::vector<std::vector<double>> start(3), event(3);
    for (int i = 0; i < 3; ++i) start[order[i]] = comparison.alignedTimes(i);
    EventAlignment alignment = alignOnEvent(comparison, "[Дроссель] > 80");
    for (int i = 0; i < 3; ++i) {
      const int expected[] = {3, 1, 4};
      EXPECT_EQ(alignment.matches[i], expected[order[i]]);
      comparison.setOffset(i, alignment.offsets[i]);
      event[order[i]] = comparison.alignedTimes(i);
    }
    // Every record of every drive keeps its own time, shifted as a whole:
    // none lost, added or moved onto another drive's times.
    for (int d = 0; d < 3; ++d) {
      const std::vector<double> own = recordMoments(drives[d]);
      ASSERT_EQ(event[d].size(), own.size());
      for (std::size_t p = 0; p < own.size(); ++p) EXPECT_EQ(event[d][p] - event[d][0], own[p] - own[0]);
    }
    // Only the origin (the first drive opened) may differ: compare each
    // drive's times from drive 0's first record.
    for (auto* times : {&start, &event}) {
      const double origin = (*times)[0][0];
      for (auto& drive : *times)
        for (double& t : drive) t -= origin;
    }
    byStart.push_back(start);
    byEvent.push_back(event);
  } while (std::next_permutation(order.begin(), order.end()));

  for (std::size_t i = 1; i < byStart.size(); ++i) {
    EXPECT_EQ(byStart[i], byStart[0]) << "order " << i;
    EXPECT_EQ(byEvent[i], byEvent[0]) << "order " << i;
  }
  // Started together; on the event, each fourth/second/fifth record at 6 s.
  EXPECT_EQ(byStart[0][1], (std::vector<double>{0, 1, 2}));
  EXPECT_EQ(byEvent[0][0][3], 6);
  EXPECT_EQ(byEvent[0][1][1], 6);
  EXPECT_EQ(byEvent[0][2], (std::vector<double>{-14, -9, -4, 1, 6, 11}));
}

TEST(DriveComparisonTest, EventMissingOrUnreadable) {
  const std::vector<DumpModel> drives = threeDrives();
  DriveComparison comparison;
  for (const DumpModel& drive : drives) comparison.addDrive(drive);
  comparison.setOffset(1, 1000);

  // Only drive C holds it: without the reference's match, starts lined up.
  EventAlignment alignment = alignOnEvent(comparison, "[Дроссель] > 98");
  EXPECT_EQ(alignment.matches, (std::vector<std::optional<int>>{std::nullopt, std::nullopt, 4}));
  for (int d = 0; d < 3; ++d) EXPECT_EQ(alignment.offsets[d], comparison.startOffset(d));

  try {
    alignOnEvent(comparison, "[Обороты] > 100");
    FAIL() << "drive C has no revolutions";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()).rfind("запись C: позиция 1: неизвестный параметр", 0), 0u)
        << error.what();
  }
}

TEST(DriveComparisonTest, RecordsOfTheSameAlignedInterval) {
  const std::vector<DumpModel> drives = threeDrives();
  DriveComparison comparison;
  for (const DumpModel& drive : drives) comparison.addDrive(drive);
  comparison.setOffset(1, comparison.startOffset(1) + 1.5);  // B at 1.5, 2.5, 3.5 s
  const std::vector<char> keepAllButThird = {1, 1, 0, 1, 1};
  EXPECT_EQ(recordsBetween(comparison, 0, 2, 6), (std::vector<char>{0, 1, 1, 1, 0}));
  EXPECT_EQ(recordsBetween(comparison, 0, 2, 6, keepAllButThird), (std::vector<char>{0, 1, 0, 1, 0}));
  EXPECT_EQ(recordsBetween(comparison, 1, 2, 6), (std::vector<char>{0, 1, 1}));
  EXPECT_EQ(recordsBetween(comparison, 2, 2, 6), (std::vector<char>{0, 1, 0, 0, 0, 0}));
}

TEST(DriveComparisonTest, TitlesADriveLacks) {
  const std::vector<DumpModel> drives = threeDrives();
  EXPECT_EQ(missingTitles(drives[0], drives[2]), std::vector<std::string>{"Обороты"});
  EXPECT_TRUE(missingTitles(drives[2], drives[0]).empty());
  EXPECT_EQ(columnOfTitle(drives[0], "Обороты"), kFrameColumns + 1);
  EXPECT_FALSE(columnOfTitle(drives[2], "Обороты"));
}

}  // namespace
}  // namespace kq
