#include "export/spreadsheet_export.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "base/file_error.h"
#include "base/safe_file.h"
#include "decode/conversion_error.h"
#include "export/cp1251.h"
#include "tests/support/dump_builder.h"
#include "tests/support/system_text.h"
#include "tests/support/temp_dir.h"

namespace kq {
namespace {

using test::LineBuilder;

// A record dated 15.03, 12:34:56, with the given record-number bytes.
LineBuilder& stamp(LineBuilder& b, int which, std::uint8_t low, std::uint8_t high) {
  return b.record(which, 0, 0x03)
      .record(which, 1, 0x15)
      .record(which, 2, 0x56)
      .record(which, 3, 0x34)
      .record(which, 4, 0x12)
      .record(which, 7, low)
      .record(which, 8, high);
}

struct Collected {
  std::vector<std::string> lines;
  LineSink sink() {
    return [this](std::string_view l) { lines.emplace_back(l); };
  }
};

std::string runExpectingError(const Dump& dump, Collected& out) {
  try {
    exportRows(dump, ',', out.sink());
  } catch (const ConversionError& e) {
    return e.what();
  }
  return "no error";
}

TEST(ExportRowsTest, UnknownTypeWritesOnlyTheThreeFieldsAndNoHeader) {
  for (std::uint8_t type : {0, 8, 255}) {
    LineBuilder line;
    stamp(line, 1, 0x00, 0x00).record(1, 9, type);
    stamp(line, 2, 0x00, 0x02);
    Collected out;
    exportRows(Dump({line.text()}), ',', out.sink());
    EXPECT_EQ(out.lines, (std::vector<std::string>{"15.03;12:34:56;-512;", "15.03;12:34:56;0;"}))
        << "type " << int(type);
  }
}

TEST(ExportRowsTest, EmptyRecordGivesNoRowButItsPartnerDoes) {
  LineBuilder line;
  stamp(line, 2, 0xFF, 0xFF).record(1, 0, 0xFF).record(1, 9, 0x00);
  Collected out;
  exportRows(Dump({line.text()}), '.', out.sink());
  EXPECT_EQ(out.lines, std::vector<std::string>{"15.03;12:34:56;65023;"});
}

TEST(ExportRowsTest, LowerCaseFfIsNotTheEmptyMark) {
  std::string text = LineBuilder(0xFF).text();
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  // Offset 9 of record 1 reads "ff": type 255, no header, two rows.
  text[9] = 'F';
  text[10] = 'F';  // record 1 marked empty by its upper-case pair
  Collected out;
  exportRows(Dump({text}), ',', out.sink());
  EXPECT_EQ(out.lines, std::vector<std::string>{"ff.ff;ff:ff:ff;65023;"});
}

TEST(ExportRowsTest, EmptyDumpFailsBeforeTheHeader) {
  Collected out;
  EXPECT_EQ(runExpectingError(Dump(), out), "'$' is not a valid integer value");
  EXPECT_TRUE(out.lines.empty());
}

TEST(ExportRowsTest, FirstLineTooShortForTheControllerType) {
  Collected out;
  EXPECT_EQ(runExpectingError(Dump({"00 01 02 03 04 05 06 07 08 09 10 11 0"}), out),
            "'$0' is not a valid integer value");
  EXPECT_EQ(runExpectingError(Dump({"00 01 02 03 04 05 06 07 08 09 10"}), out),
            "'$' is not a valid integer value");
  EXPECT_TRUE(out.lines.empty());
}

TEST(ExportRowsTest, PairThatIsNotHexStopsThePassKeepingEarlierRows) {
  LineBuilder first;
  first.record(1, 9, 0x00);
  std::string second = LineBuilder().text();
  second[3 * (131 + 7)] = 'G';  // record 2 number low byte
  Collected out;
  EXPECT_EQ(runExpectingError(Dump({first.text(), second, first.text()}), out),
            "'$G0' is not a valid integer value");
  EXPECT_EQ(out.lines.size(), 3u);  // both records of line 0, record 1 of line 1
}

// A NUL or a byte of another code page in the date or time is no date: the
// pass stops with a message that shows those bytes, not cut at the NUL.
TEST(ExportRowsTest, DateOrTimeThatIsNotHexStopsThePassWithAReadableMessage) {
  struct Case {
    int offset;
    std::string pair;
    const char* message;
  } cases[] = {{1, std::string(2, '\0'), "'$\\x00\\x00' is not a valid integer value"},
               {3, "\xC2\xE0", "'$\\xC2\\xE0' is not a valid integer value"}};
  for (const Case& c : cases) {
    std::string line = LineBuilder().record(1, 9, 0x00).text();
    line.replace(3 * (131 + c.offset), 2, c.pair);
    Collected out;
    EXPECT_EQ(runExpectingError(Dump({line}), out), c.message);
    EXPECT_EQ(out.lines.size(), 1u);
    EXPECT_THROW(spreadsheetFile(Dump({line}), ','), ConversionError);
  }
}

TEST(ExportRowsTest, ValuesOfAnEmptyRecordAreStillRead) {
  std::string line = LineBuilder().record(1, 9, 0x00).record(2, 0, 0xFF).text();
  line[3 * (131 + 8) + 1] = 'x';  // record number of the empty record 2
  Collected out;
  EXPECT_EQ(runExpectingError(Dump({line}), out), "'$0x' is not a valid integer value");
  EXPECT_EQ(out.lines.size(), 1u);
}

struct TypeCase {
  int type;
  std::size_t fields;   // parameter fields per row
  std::size_t minimum;  // characters a line needs for both records
  const char* headerEnd;
};

class ExportByTypeTest : public testing::TestWithParam<TypeCase> {};

TEST_P(ExportByTypeTest, HeaderAndRowsLineUp) {
  const auto& c = GetParam();
  LineBuilder line(0x11);
  line.record(1, 9, static_cast<std::uint8_t>(c.type));
  Collected out;
  exportRows(Dump({line.text(), line.text()}), ',', out.sink());
  ASSERT_EQ(out.lines.size(), 5u);
  const std::string& header = out.lines[0];
  EXPECT_EQ(header.rfind("Дата;Время;Номер записи;", 0), 0u);
  EXPECT_TRUE(header.ends_with(c.headerEnd)) << header;
  EXPECT_EQ(std::count(header.begin(), header.end(), ';'), static_cast<long>(c.fields + 2));
  for (std::size_t i = 1; i < out.lines.size(); ++i) {
    EXPECT_EQ(std::count(out.lines[i].begin(), out.lines[i].end(), ';'), static_cast<long>(c.fields + 3));
    EXPECT_EQ(out.lines[i].back(), ';');
  }
}

TEST_P(ExportByTypeTest, LineCutShortStopsInsideRecordTwo) {
  const auto& c = GetParam();
  LineBuilder full;
  full.record(1, 9, static_cast<std::uint8_t>(c.type));
  std::string exact = full.text().substr(0, c.minimum);
  Collected out;
  exportRows(Dump({full.text(), exact}), ',', out.sink());
  EXPECT_EQ(out.lines.size(), 5u);

  Collected cut;
  std::string message = runExpectingError(Dump({full.text(), exact.substr(0, c.minimum - 1)}), cut);
  EXPECT_NE(message.find("is not a valid integer value"), std::string::npos);
  EXPECT_EQ(cut.lines.size(), 4u);  // header, line 0's two rows, line 1's record 1
}

INSTANTIATE_TEST_SUITE_P(
    Types, ExportByTypeTest,
    testing::Values(
        TypeCase{1, 30, 536, "Контрольная сумма ПЗУ;температура воздуха на впуске;Количество ошибок"},
        TypeCase{2, 43, 623, "Байт состояния 2;Байт состояния 3"},
        TypeCase{3, 28, 530, "Часовой расход топлива;Путевой расход топлива;Контрольная сумма ПЗУ"},
        TypeCase{4, 26, 524, "Часовой расход топлива;Путевой расход топлива;Контрольная сумма ПЗУ"},
        TypeCase{5, 35, 536, "Байт готовности"}, TypeCase{6, 74, 698, "EGR:коррекция угла зажигания"},
        TypeCase{7, 49, 644, "Ускорение с датчика неровной дороги"}),
    [](const auto& info) { return "Type" + std::to_string(info.param.type); });

TEST(ExportRowsTest, FullTypeOneDumpGivesHeaderAndEveryRecord) {
  Dump dump;
  LineBuilder line(0x20);
  line.record(1, 9, 1);
  for (int i = 0; i < 3840; ++i) dump.append(line.text());
  Collected out;
  exportRows(dump, ',', out.sink());
  ASSERT_EQ(out.lines.size(), 7681u);
  EXPECT_EQ(std::count(out.lines[7680].begin(), out.lines[7680].end(), ';'), 33);
}

std::string cp1251(std::string_view utf8) {
  std::string out;
  appendCp1251(out, utf8);
  return out;
}

TEST(Cp1251Test, EncodesCyrillicAndKeepsAscii) {
  EXPECT_EQ(cp1251("Дата;12,5;"), "\xC4\xE0\xF2\xE0;12,5;");
  EXPECT_EQ(cp1251("ЁёЯя№"), "\xA8\xB8\xDF\xFF\xB9");
  EXPECT_EQ(cp1251("€"), "\x88");
  EXPECT_EQ(cp1251("\xE4\xB8\xAD"), "?");  // not in the code page
  EXPECT_EQ(cp1251("\xD0"), "?");          // cut sequence
}

TEST(SpreadsheetFileTest, CrLfAfterEveryLine) {
  EXPECT_EQ(encodeSpreadsheetFile({"Дата;", "1;"}), "\xC4\xE0\xF2\xE0;\r\n1;\r\n");
  EXPECT_EQ(encodeSpreadsheetFile({}), "");
}

class ExportFileTest : public testing::Test {
 protected:
  void SetUp() override { dir_ = test::makeTempDir("kq-export"); }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string path(const char* name) const { return (dir_ / name).string(); }
  std::filesystem::path dir_;
};

TEST_F(ExportFileTest, FailedPassLeavesNoFileAndKeepsAnExistingOne) {
  EXPECT_THROW(exportSpreadsheetFile(Dump(), ',', path("new.txt")), ConversionError);
  EXPECT_FALSE(std::filesystem::exists(path("new.txt")));

  writeFileSafely(path("old.txt"), "keep");
  EXPECT_THROW(exportSpreadsheetFile(Dump({"00"}), ',', path("old.txt")), ConversionError);
  EXPECT_EQ(readWholeFile(path("old.txt")), "keep");
}

TEST_F(ExportFileTest, WritesTheEncodedFile) {
  LineBuilder line;
  stamp(line, 1, 0x00, 0x02).record(1, 9, 0x00).record(2, 0, 0xFF);
  exportSpreadsheetFile(Dump({line.text()}), ',', path("t.txt"));
  EXPECT_EQ(readWholeFile(path("t.txt")), "15.03;12:34:56;0;\r\n");
}

TEST_F(ExportFileTest, UnwritableTargetGivesTheCreateMessage) {
  LineBuilder line;
  line.record(1, 9, 0x00);
  std::string target = (dir_ / "missing-folder" / "t.txt").string();
  try {
    exportSpreadsheetFile(Dump({line.text()}), ',', target);
    FAIL();
  } catch (const FileError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + target + "\". " + test::missingFolderReason());
  }
}

}  // namespace
}  // namespace kq

namespace kq {
namespace {

Dump largeTypeSixDump() {
  Dump dump;
  for (int i = 0; i < 2000; ++i) {
    test::LineBuilder line(static_cast<std::uint8_t>(i * 7));
    line.record(1, 9, 6).record(1, 0, 0x01).record(2, 0, i % 5 == 0 ? 0xFF : 0x02);
    dump.append(line.text());
  }
  return dump;
}

TEST(SpreadsheetFileTest, LargeDumpGivesTheRowsOfThePassInOrder) {
  const Dump dump = largeTypeSixDump();
  std::vector<std::string> lines;
  exportRows(dump, ',', [&lines](std::string_view l) { lines.emplace_back(l); });
  EXPECT_EQ(lines.size(), 1u + 2000 + 1600);
  EXPECT_EQ(spreadsheetFile(dump, ','), encodeSpreadsheetFile(lines));
}

TEST(SpreadsheetFileTest, TheFirstFailureInDumpOrderIsReported) {
  struct Case {
    std::vector<std::size_t> badLines;
    const char* message;
  } cases[] = {{{1900}, "'$Z1' is not a valid integer value"},
               {{100, 1900}, "'$Z2' is not a valid integer value"},
               {{1999}, "'$Z1' is not a valid integer value"}};
  for (const auto& c : cases) {
    Dump dump = largeTypeSixDump();
    std::vector<std::string> lines = dump.lines();
    char mark = '1';
    for (std::size_t i = c.badLines.size(); i-- > 0;) {
      std::string& line = lines[c.badLines[i]];
      line[3 * (3 + 20)] = 'Z';  // record 1, offset 20
      line[3 * (3 + 20) + 1] = mark++;
    }
    try {
      spreadsheetFile(Dump(lines), ',');
      ADD_FAILURE() << "no error";
    } catch (const ConversionError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

}  // namespace
}  // namespace kq
