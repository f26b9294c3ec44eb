#include "sim/memory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string_view>

#include "decode/parameter_table.h"
#include "decode/record_view.h"

namespace kq::sim {
namespace {

int bcd(std::string_view pair) { return (pair[0] - '0') * 10 + (pair[1] - '0'); }

// Each record holds two of them (record 1 of every line is taken), so neighbours are 4 s apart.
int secondOfDay(const RecordView& record) {
  return bcd(record.pair(4)) * 3600 + bcd(record.pair(3)) * 60 + bcd(record.pair(2));
}

std::optional<std::size_t> column(int type, std::string_view title) {
  const auto table = parameterTable(type);
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].title == title) return i;
  }
  return std::nullopt;
}

TEST(SyntheticMemoryTest, RecordsAreNumberedDatedAndTyped) {
  for (int type = 1; type <= 7; ++type) {
    SCOPED_TRACE(type);
    const auto lines = syntheticDumpLines(type, 1001);
    ASSERT_EQ(lines.size(), 3840u);
    EXPECT_EQ(readControllerType(Dump(lines)), type);
    int expected = 1;
    for (std::size_t j = 0; j < lines.size(); ++j) {
      ASSERT_EQ(lines[j].size(), 773u);
      for (int r = 1; r <= 2; ++r) {
        const RecordView record(lines[j], r);
        if (expected > 1001) {
          ASSERT_TRUE(record.isEmpty()) << j;
          continue;
        }
        ASSERT_FALSE(record.isEmpty()) << j;
        ASSERT_EQ(record.recordNumber(), expected++);
        EXPECT_EQ(record.B(9), type);
        const int month = bcd(record.pair(0)), day = bcd(record.pair(1));
        EXPECT_TRUE(month >= 1 && month <= 12 && day >= 1 && day <= 31) << record.date();
        EXPECT_LT(bcd(record.pair(4)), 24);
        EXPECT_LT(bcd(record.pair(3)), 60);
        EXPECT_LT(bcd(record.pair(2)), 60);
      }
    }
  }
}

TEST(SyntheticMemoryTest, FullMemoryHolds7680Records) {
  const auto memory = syntheticMemory(2, 100000);
  const std::string last = memoryDumpLines(memory).back();
  EXPECT_EQ(RecordView(last, 2).recordNumber(), 7680);
}

TEST(SyntheticMemoryTest, ReadingsArePlausibleAndSmooth) {
  struct Reading {
    const char* title;
    double low, high, largestStep;
  };
  const Reading readings[] = {
      {"Обороты двигателя", 600, 6500, 800},
      {"Температура охлаждающей жидкости", -30, 110, 8},
      {"Скорость автомобиля", 0, 180, 12},
      {"Положение дроссельной заслонки", 0, 100, 40},
  };
  for (int type : {1, 2, 3, 4, 5, 6, 7}) {
    const auto lines = syntheticDumpLines(type, 2000);
    const auto table = parameterTable(type);
    for (const auto& reading : readings) {
      const auto index = column(type, reading.title);
      if (!index) continue;  // the table shows this reading under another title
      SCOPED_TRACE(std::string(reading.title) + ", type " + std::to_string(type));
      std::optional<double> previous;
      int previousSecond = 0;
      double lowest = 1e9, highest = -1e9;
      for (int i = 0; i < 1000; ++i) {
        const RecordView record(lines[i], 1);
        const auto value = static_cast<double>(table[*index].value(record));
        lowest = std::min(lowest, value);
        highest = std::max(highest, value);
        // Records of one trip follow each other closely; between trips anything may change.
        const int second = secondOfDay(record);
        if (previous && second > previousSecond && second - previousSecond <= 10) {
          EXPECT_LE(std::abs(value - *previous), 2 * reading.largestStep) << i;
        }
        previous = value;
        previousSecond = second;
      }
      EXPECT_GE(lowest, reading.low);
      EXPECT_LE(highest, reading.high);
      EXPECT_GT(highest - lowest, 0) << "never changes";
    }
  }
}

TEST(SyntheticMemoryTest, MemoryFromDumpRoundTripsAndFillsGaps) {
  const auto lines = syntheticDumpLines(6, 500);
  EXPECT_EQ(memoryDumpLines(memoryFromDump(Dump(lines))), lines);

  const Dump shortDump(std::vector<std::string>{"01 02 zz"});
  const auto memory = memoryFromDump(shortDump);
  ASSERT_EQ(memory.size(), 3840u);
  EXPECT_EQ(memory[0][0], 0x01);
  EXPECT_EQ(memory[0][1], 0x02);
  EXPECT_EQ(memory[0][2], 0xFF);
  EXPECT_EQ(memory[1][0], 0xFF);
}

}  // namespace
}  // namespace kq::sim
