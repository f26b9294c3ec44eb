#include "dump/dump_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "base/file_error.h"
#include "base/safe_file.h"
#include "dump/dump_line.h"
#include "tests/support/system_text.h"
#include "tests/support/temp_dir.h"

namespace kq {
namespace {

namespace fs = std::filesystem;

using test::TempDir;

void writeRaw(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string readRaw(const std::string& path) { return readWholeFile(path); }

TEST(DumpLineTest, HexPairsJoinedBySingleBlanks) {
  const std::uint8_t bytes[] = {0xA5, 0x00, 0x3C, 0x0F};
  EXPECT_EQ(makeDumpLine(bytes), "A5 00 3C 0F");
  EXPECT_EQ(makeDumpLine({}), "");
  std::vector<std::uint8_t> block(258);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i);
  std::string line = makeDumpLine(block);
  EXPECT_EQ(line.size(), 773u);
  EXPECT_EQ(line.substr(3 * 255, 5), "FF 00");
  EXPECT_NE(line.back(), ' ');
}

TEST(DumpLineTest, HexTraceHasABlankBeforeEveryByte) {
  const std::uint8_t bytes[] = {0x55, 0x33, 0xCC};
  std::string trace = " - >";
  appendHexTrace(trace, bytes);
  EXPECT_EQ(trace, " - > 55 33 CC");
}

struct SplitCase {
  const char* name;
  std::string text;
  std::vector<std::string> lines;
};

class SplitLinesTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitLinesTest, LineEnds) { EXPECT_EQ(splitLines(GetParam().text), GetParam().lines); }

INSTANTIATE_TEST_SUITE_P(
    Files, SplitLinesTest,
    testing::Values(SplitCase{"CrLf", "AA\r\nBB\r\n", {"AA", "BB"}},
                    SplitCase{"Lf", "AA\nBB\n", {"AA", "BB"}}, SplitCase{"Cr", "AA\rBB\r", {"AA", "BB"}},
                    SplitCase{"NoFinalEnd", "AA\r\nBB", {"AA", "BB"}}, SplitCase{"EmptyFile", "", {}},
                    SplitCase{"OnlyLineEnd", "\r\n", {""}},
                    SplitCase{"EmptyLinesInside", "AA\r\n\r\n\nBB\r\n", {"AA", "", "", "BB"}},
                    SplitCase{"LfCrIsTwoEnds", "AA\n\rBB", {"AA", "", "BB"}},
                    SplitCase{"MixedEnds", "AA\rBB\nCC\r\nDD", {"AA", "BB", "CC", "DD"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DumpFileTest, SavedFileHasCrLfAfterEveryLineAndReloadsToTheSameBytes) {
  TempDir dir;
  Dump dump;
  dump.append("01 02");
  dump.append("");
  dump.append("FF");
  saveDumpFile(dir.file("a.txt"), dump);
  EXPECT_EQ(readRaw(dir.file("a.txt")), "01 02\r\n\r\nFF\r\n");

  Dump loaded;
  loadDumpFile(dir.file("a.txt"), loaded);
  EXPECT_EQ(loaded.lines(), dump.lines());
  saveDumpFile(dir.file("b.txt"), loaded);
  EXPECT_EQ(readRaw(dir.file("b.txt")), readRaw(dir.file("a.txt")));
}

TEST(DumpFileTest, LfAndCrFilesLoadLikeCrLf) {
  TempDir dir;
  writeRaw(dir.file("lf.txt"), "11 22\n33 44");
  writeRaw(dir.file("cr.txt"), "11 22\r33 44\r");
  Dump lf, cr;
  loadDumpFile(dir.file("lf.txt"), lf);
  loadDumpFile(dir.file("cr.txt"), cr);
  EXPECT_EQ(lf.lines(), (std::vector<std::string>{"11 22", "33 44"}));
  EXPECT_EQ(cr.lines(), lf.lines());
  saveDumpFile(dir.file("out.txt"), lf);
  EXPECT_EQ(readRaw(dir.file("out.txt")), "11 22\r\n33 44\r\n");
}

TEST(DumpFileTest, EmptyDumpGivesEmptyFile) {
  TempDir dir;
  saveDumpFile(dir.file("e.txt"), Dump());
  EXPECT_EQ(fs::file_size(dir.file("e.txt")), 0u);
}

TEST(DumpFileTest, MissingFileKeepsTheDumpAndNamesTheFullPath) {
  TempDir dir;
  Dump dump({"AA BB"});
  try {
    loadDumpFile(dir.file("missing.txt"), dump);
    FAIL() << "no error";
  } catch (const FileError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot open file \"" + dir.file("missing.txt") + "\". " + test::missingFileReason());
  }
  EXPECT_EQ(dump.lines(), std::vector<std::string>{"AA BB"});
}

TEST(DumpFileTest, DirectoryCannotBeLoaded) {
  TempDir dir;
  Dump dump({"AA"});
  EXPECT_THROW(loadDumpFile(dir.path_.string(), dump), FileError);
  EXPECT_EQ(dump.size(), 1u);
}

TEST(DumpFileTest, OversizedFileFailsAndKeepsTheDump) {
  TempDir dir;
  Dump dump({"kept"});
  writeRaw(dir.file("huge.txt"), std::string(kMaxDumpFileBytes + 1, '0'));
  EXPECT_THROW(loadDumpFile(dir.file("huge.txt"), dump), FileError);
  EXPECT_EQ(dump.lines(), std::vector<std::string>{"kept"});
}

TEST(DumpFileTest, Utf8NamesAreTheNamesOnDisk) {
  TempDir dir;
  const std::string name = "\xD0\xB4\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB5.txt";  // "данные.txt"
  const std::u8string u8name(name.begin(), name.end());
  const std::u8string u8path = (dir.path_ / u8name).u8string();
  const std::string target(u8path.begin(), u8path.end());
  saveDumpFile(target, Dump({"AA BB"}));
  Dump loaded;
  loadDumpFile(target, loaded);
  EXPECT_EQ(loaded.lines(), std::vector<std::string>{"AA BB"});
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir.path_)) {
    const std::u8string found = e.path().filename().u8string();
    names.emplace_back(found.begin(), found.end());
  }
  EXPECT_EQ(names, std::vector<std::string>{name});
}

}  // namespace
}  // namespace kq
