#include "library/car_report.h"

#include <gtest/gtest.h>

#include "tests/support/dump_builder.h"

namespace kq {
namespace {

constexpr int kType = 2;
constexpr const char* kRevolutions = "Обороты двигателя";

struct Sample {
  Moment at;
  int rpm;
};

// Four trips: 1 at 1000–1006, 2 at 2000–2004, 3 at 5000, 4 at 9000–9002.
CarHistory knownHistory() {
  const Sample samples[] = {{1000, 800},  {1002, 2000}, {1004, 3200}, {1006, 2400}, {2000, 3600},
                            {2002, 3600}, {2004, 800},  {5000, 400},  {9000, 3600}, {9002, 3600}};
  std::vector<HistoryRecord> records;
  for (const Sample& sample : samples) {
    test::Record record = test::makeRecord(kType, int(records.size()) + 1);
    record[19] = std::uint8_t(sample.rpm / 40);
    const Dump dump({test::makeLine(record, test::emptyRecord())});
    records.push_back({RowId(records.size() + 1), sample.at, recordsOfDump(dump).front().bytes});
  }
  return CarHistory(kType, std::move(records), ',');
}

ReportTemplate revolutionsTemplate() {
  ReportTemplate report;
  report.parameters = {kRevolutions};
  report.checks = {{"Высокие", "[Обороты двигателя] > 2500", 2}};
  report.charts = 1;
  return report;
}

TEST(CarReportTest, ASpanHoldsItsTripsEventsAndTheSpanBefore) {
  const CarHistory history = knownHistory();
  const CarReport report = buildCarReport(history, "Нива", revolutionsTemplate(), {1900, 9999, {}}, 0);
  std::vector<int> trips;
  for (const ReportTrip& row : report.trips) trips.push_back(row.trip.number);
  EXPECT_EQ(trips, (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(report.records, 6);
  EXPECT_EQ(report.drivingSeconds, 4 + 0 + 2);
  ASSERT_EQ(report.checks.size(), 1u);
  // Trip 1's 3200 lasts no 2 s; trips 2 and 4 hold theirs for 2 s.
  EXPECT_EQ(report.checks[0].trips(), (std::vector<int>{2, 4}));
  EXPECT_EQ(report.trips[0].events, 1);
  EXPECT_EQ(report.chartedTrips, (std::vector<int>{2}));
  EXPECT_EQ(report.chartsLeftOut, 1);

  // The span before is as long and ends where the span starts: trip 1.
  EXPECT_EQ(*report.beforeTo, 1899);
  EXPECT_EQ(*report.beforeFrom, 1900 - 8100);
  EXPECT_EQ(report.tripsBefore, 1);
  const ParameterTrend& trend = report.trends.at(0);
  EXPECT_EQ(trend.span->mean, 2600);  // over every record of the span's trips
  EXPECT_EQ(trend.span->maximum, 3600);
  EXPECT_EQ(trend.before->mean, 2100);
  EXPECT_EQ(trend.before->maximum, 3200);
  ASSERT_EQ(trend.means.size(), 3u);
  EXPECT_EQ(*trend.means[0].value, (*tripStatistics(history, *history.trip(2), trend.column)).mean);
  EXPECT_EQ(report.trips[1].statistics[0]->maximum, 400);
}

TEST(CarReportTest, ChosenTripsAndOpenEnds) {
  const CarHistory history = knownHistory();
  const CarReport chosen = buildCarReport(history, "Нива", revolutionsTemplate(), {{}, {}, {1, 3}}, 0);
  ASSERT_EQ(chosen.trips.size(), 2u);
  EXPECT_EQ(*chosen.from, 1000);
  EXPECT_EQ(*chosen.to, 5000);
  EXPECT_TRUE(chosen.checks[0].events.empty());
  EXPECT_EQ(chosen.tripsBefore, 0);

  const CarReport all = buildCarReport(history, "Нива", revolutionsTemplate(), {}, 0);
  EXPECT_EQ(all.trips.size(), 4u);
  EXPECT_EQ(*all.from, 1000);
  EXPECT_EQ(*all.to, 9002);
  const CarReport none = buildCarReport(history, "Нива", revolutionsTemplate(), {10000, {}, {}}, 0);
  EXPECT_TRUE(none.trips.empty());
  EXPECT_FALSE(none.trends[0].span);
  EXPECT_TRUE(none.checks[0].events.empty());
}

TEST(CarReportTest, ATemplateThatDoesNotFitIsSaidBeforeAnythingIsBuilt) {
  struct Case {
    ReportTemplate report;
    std::string message;
  } cases[] = {
      {{{"Нет такого"}, {}, 8}, "у типа контроллера 2 нет параметра «Нет такого»"},
      {{{kRevolutions}, {{"Перегрев", "[Обороты двигателя] >", 0}}, 8}, "проверка «Перегрев»: позиция"},
      {{{}, {{"Странная", "[Температура] > 1", 0}}, 8},
       "проверка «Странная»: позиция 1: неизвестный параметр"},
  };
  const CarHistory history = knownHistory();
  for (const Case& c : cases) {
    for (const bool built : {false, true}) {
      try {
        if (built)
          buildCarReport(history, "Нива", c.report, {}, 0);
        else
          checkReportTemplate(kType, c.report);
        ADD_FAILURE() << c.message;
      } catch (const ReportError& error) {
        EXPECT_EQ(std::string(error.what()).find(c.message), 0u) << error.what();
      }
    }
  }
}

TEST(ReportTemplateTest, DefaultsFitTheirTypeAndReadBackAsSaved) {
  for (int type = 1; type <= 7; ++type) {
    const ReportTemplate report = defaultReportTemplate(type);
    EXPECT_GE(report.parameters.size(), 3u) << type;
    EXPECT_NO_THROW(checkReportTemplate(type, report)) << type;
    EXPECT_EQ(parseReportTemplate(reportTemplateJson(report)), report) << type;
  }
  EXPECT_EQ(defaultReportTemplate(2).checks.at(0),
            (ReportCheck{"Перегрев", "[Температура охлаждающей жидкости] > 105", 10}));
}

TEST(ReportTemplateTest, WhatIsNoTemplateIsSaid) {
  const std::string head = R"({"format": "kq-report-template", "version": 1, )";
  const struct {
    std::string json, message;
  } cases[] = {
      {"{", "не JSON"},
      {R"({"parameters": []})", "это не шаблон отчёта"},
      {R"({"format": "kq-report-template", "version": 2, "parameters": []})", "более новой версией"},
      {head + R"("parameters": "Обороты"})", "«parameters» должен быть списком"},
      {head + R"("parameters": [], "checks": [{"expression": "1"}]})",
       "проверка 1: «name» должен быть текстом"},
      {head + R"("parameters": [], "checks": [{"name": "А", "expression": "1", "min_seconds": -1}]})",
       "проверка «А»: «min_seconds»"},
      {head + R"("parameters": [], "charts": 51})", "«charts» должно быть целым числом от 0 до 50"},
  };
  for (const auto& c : cases) {
    try {
      parseReportTemplate(c.json);
      ADD_FAILURE() << c.json;
    } catch (const TemplateError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
  }
}

}  // namespace
}  // namespace kq
