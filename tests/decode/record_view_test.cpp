#include "decode/record_view.h"

#include <gtest/gtest.h>

#include <string>

#include "decode/conversion_error.h"
#include "tests/support/dump_builder.h"

namespace kq::test {
namespace {

std::string conversionMessage(const std::string& line, int record, int offset) {
  try {
    RecordView(line, record).B(offset);
  } catch (const ConversionError& e) {
    return e.what();
  }
  return "no error";
}

TEST(RecordView, ReadsHexInEitherCase) {
  const std::string line = recordLine(1, {});
  for (const auto& [text, value] : {std::pair{"FF", 255}, {"ff", 255}, {"aB", 171}, {"Ab", 171}, {"09", 9}}) {
    EXPECT_EQ(RecordView(withPair(line, 1, 20, text), 1).B(20), value) << text;
  }
}

TEST(RecordView, RecordsStartAtLineBytes3And131) {
  std::vector<std::uint8_t> bytes(layout::kLineBytes);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
  const std::string line = makeDumpLine(bytes);
  EXPECT_EQ(RecordView(line, 1).B(0), 3);
  EXPECT_EQ(RecordView(line, 1).B(127), 130);
  EXPECT_EQ(RecordView(line, 2).B(0), 131);
  EXPECT_EQ(RecordView(line, 2).B(126), 257 % 256);
}

TEST(RecordView, SignedAndWordReadings) {
  const std::string line =
      recordLine(2, {{12, 0x80}, {13, 0x7F}, {14, 0xFF}, {20, 0x12}, {21, 0x34}, {22, 0x80}});
  RecordView r(line, 2);
  EXPECT_EQ(r.S(12), -128);
  EXPECT_EQ(r.S(13), 127);
  EXPECT_EQ(r.S(14), -1);
  EXPECT_EQ(r.B(14), 255);
  EXPECT_EQ(r.W(20, 21), 0x1234);
  EXPECT_EQ(r.W(21, 20), 0x3412);
  EXPECT_EQ(r.SW(22, 15), -32768);
  EXPECT_EQ(r.SW(13, 14), 32767);
  EXPECT_EQ(r.SW(14, 14), -1);
  EXPECT_EQ(r.W(14, 14), 65535);
}

TEST(RecordView, NonHexPairFailsWithItsText) {
  const std::string line = recordLine(1, {});
  EXPECT_EQ(conversionMessage(withPair(line, 1, 30, "G1"), 1, 30), "'$G1' is not a valid integer value");
  EXPECT_EQ(conversionMessage(withPair(line, 2, 30, " 1"), 2, 30), "'$ 1' is not a valid integer value");
  EXPECT_EQ(conversionMessage(withPair(line, 2, 30, "-1"), 2, 30), "'$-1' is not a valid integer value");
}

TEST(RecordView, PairPastTheEndFails) {
  const std::string line = recordLine(1, {{40, 0xA5}});
  const std::size_t start = 3 * (RecordView::kFirstByteOfRecord1 + 40);
  EXPECT_EQ(conversionMessage(line.substr(0, start), 1, 40), "'$' is not a valid integer value");
  EXPECT_EQ(conversionMessage(line.substr(0, start + 1), 1, 40), "'$A' is not a valid integer value");
  EXPECT_EQ(RecordView(line.substr(0, start + 2), 1).B(40), 0xA5);
  EXPECT_EQ(conversionMessage("", 2, 0), "'$' is not a valid integer value");
}

TEST(RecordView, RecordNumberIsWord8And7Less512) {
  struct Case {
    int low, high, number;
  };
  for (const Case& c :
       {Case{0x00, 0x00, -512}, Case{0x00, 0x02, 0}, Case{0xFF, 0xFF, 65023}, Case{0x01, 0x02, 1}}) {
    for (int record : {1, 2}) {
      const std::string line = recordLine(record, {{7, c.low}, {8, c.high}});
      EXPECT_EQ(RecordView(line, record).recordNumber(), c.number) << record;
    }
  }
}

TEST(RecordView, DateAndTimeAreCopiedAsTextOnceCheckedToBeHex) {
  std::string line = recordLine(2, {});
  line = withPair(line, 2, 0, "03");
  line = withPair(line, 2, 1, "15");
  line = withPair(line, 2, 2, "56");
  line = withPair(line, 2, 3, "34");
  line = withPair(line, 2, 4, "1a");
  RecordView r(line, 2);
  EXPECT_EQ(r.date(), "15.03");
  EXPECT_EQ(r.time(), "1a:34:56");
  EXPECT_EQ(RecordView(line, 1).date(), "00.00");
}

std::string dateAndTimeMessage(const std::string& line, int record) {
  try {
    RecordView view(line, record);
    view.date();
    view.time();
  } catch (const ConversionError& e) {
    return e.what();
  }
  return "no error";
}

// Like every other field; bytes a message cannot show are escaped, never cut.
TEST(RecordView, DateOrTimeThatIsNotHexFails) {
  struct Case {
    int offset;
    std::string pair;
    std::string message;
  };
  const std::string suffix = "' is not a valid integer value";
  for (const Case& c : {Case{0, "1z", "'$1z" + suffix},
                        Case{1,
                             std::string("\0"
                                         "1",
                                         2),
                             "'$\\x001" + suffix},
                        Case{2, "\xC4\xE0", "'$\\xC4\\xE0" + suffix}, Case{3, " 1", "'$ 1" + suffix},
                        Case{4, "\\\x7F", "'$\\x5C\\x7F" + suffix}}) {
    const std::string message = dateAndTimeMessage(withPair(recordLine(1, {}), 1, c.offset, c.pair), 1);
    EXPECT_EQ(message, c.message) << c.offset;
  }
  const std::string line = recordLine(1, {});
  EXPECT_EQ(dateAndTimeMessage(line.substr(0, 3 * (RecordView::kFirstByteOfRecord2 + 1) + 1), 2),
            "'$0" + suffix);
  EXPECT_EQ(dateAndTimeMessage(line.substr(0, 3 * (RecordView::kFirstByteOfRecord2 + 2)), 2), "'$" + suffix);
}

TEST(ConversionError, MessagesShowEveryByteReadably) {
  EXPECT_EQ(readableBytes("$G1 -.,;:"), "$G1 -.,;:");
  EXPECT_EQ(readableBytes(std::string("\0\t\x1F\x7F\x80\xFF\\", 7)), "\\x00\\x09\\x1F\\x7F\\x80\\xFF\\x5C");
  const ConversionError error =
      ConversionError::notFloat(std::string("1\0"
                                            "5",
                                            3));
  EXPECT_STREQ(error.what(), "'1\\x005' is not a valid floating point value");
}

TEST(RecordView, EmptyOnlyByUpperCaseFFAtOffset0) {
  const std::string line = recordLine(1, {});
  EXPECT_TRUE(RecordView(withPair(line, 1, 0, "FF"), 1).isEmpty());
  EXPECT_FALSE(RecordView(withPair(line, 1, 0, "FF"), 2).isEmpty());
  EXPECT_TRUE(RecordView(withPair(line, 2, 0, "FF"), 2).isEmpty());
  EXPECT_FALSE(RecordView(withPair(line, 1, 0, "ff"), 1).isEmpty());
  EXPECT_FALSE(RecordView(withPair(line, 1, 0, "Ff"), 1).isEmpty());
  EXPECT_FALSE(RecordView(withPair(line, 1, 1, "FF"), 1).isEmpty());
  EXPECT_FALSE(RecordView(line, 1).isEmpty());
  // A record that ends within its mark is not empty.
  const std::size_t mark = 3 * RecordView::kFirstByteOfRecord2;
  EXPECT_FALSE(RecordView(withPair(line, 2, 0, "FF").substr(0, mark + 1), 2).isEmpty());
}

TEST(ControllerType, ComesFromOffset9OfTheFirstRecordOfTheFirstLine) {
  Dump dump;
  dump.append(recordLine(1, {{9, 0x02}}));
  dump.append(recordLine(1, {{9, 0x05}}));
  EXPECT_EQ(readControllerType(dump), 2);

  Dump second;
  second.append(withPair(recordLine(2, {{9, 0x07}}), 1, 9, "06"));
  EXPECT_EQ(readControllerType(second), 6);
}

TEST(ControllerType, EmptyFirstRecordGives255) {
  Dump dump;
  dump.append(makeDumpLine(std::vector<std::uint8_t>(layout::kLineBytes, 0xFF)));
  EXPECT_EQ(readControllerType(dump), 255);
}

TEST(ControllerType, FailsOnAnEmptyDumpOrABadPair) {
  try {
    readControllerType(Dump());
    ADD_FAILURE() << "no conversion error";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'$' is not a valid integer value");
  }
  Dump dump;
  dump.append(withPair(recordLine(1, {}), 1, 9, "x7"));
  EXPECT_THROW(readControllerType(dump), ConversionError);
  Dump shortLine;
  shortLine.append("00 00 00");
  EXPECT_THROW(readControllerType(shortLine), ConversionError);
}

}  // namespace
}  // namespace kq::test
