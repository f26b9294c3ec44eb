// kq-cli export as a user runs it: exit status, standard error, the file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "base/safe_file.h"
#include "dump/dump_file.h"
#include "export/spreadsheet_export.h"
#include "tests/support/dump_builder.h"

namespace kq {
namespace {

namespace fs = std::filesystem;

struct Result {
  int status;
  std::string out;
  std::string err;
};

class CliExportTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kq-cli-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  Result run(const std::string& env, const std::string& args) {
    std::string command =
        "env " + env + " " KQ_CLI_PATH " export " + args + " >" + path("stdout") + " 2>" + path("stderr");
    int raw = std::system(command.c_str());
    Result r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readWholeFile(path("stdout")),
             readWholeFile(path("stderr"))};
    return r;
  }

  void writeDump(const std::string& name, const Dump& dump) { saveDumpFile(path(name), dump); }

  fs::path dir_;
};

Dump typeTwoDump() {
  test::LineBuilder line(0x80);
  line.record(1, 9, 2);
  return Dump({line.text(), line.text()});
}

TEST_F(CliExportTest, SeparatorFollowsTheRegionalSettingsUnlessGiven) {
  writeDump("d.txt", typeTwoDump());
  struct Case {
    const char* env;
    const char* option;
    char separator;
  } cases[] = {{"LC_ALL= LANG=ru_RU.UTF-8", "", ','},
               {"LC_ALL= LANG=C", "", '.'},
               {"LC_ALL= LANG=ru_RU.UTF-8", "--decimal-separator=.", '.'},
               {"LC_ALL= LANG=C", "--decimal-separator=,", ','}};
  for (const auto& c : cases) {
    std::vector<std::string> lines;
    exportRows(typeTwoDump(), c.separator, [&lines](std::string_view l) { lines.emplace_back(l); });
    Result r = run(c.env, std::string(c.option) + " " + path("d.txt") + " " + path("out.txt"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readWholeFile(path("out.txt")), encodeSpreadsheetFile(lines)) << c.env << " " << c.option;
  }
}

TEST_F(CliExportTest, DashWritesToStandardOutput) {
  writeDump("d.txt", typeTwoDump());
  Result r = run("LANG=C", path("d.txt") + " -");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.substr(0, 4), "\xC4\xE0\xF2\xE0");  // "Дата" in code page 1251
  EXPECT_FALSE(fs::exists(path("-")));
}

TEST_F(CliExportTest, FailuresGiveTheMessageStatusOneAndNoFile) {
  writeDump("empty.txt", Dump());
  writeDump("short.txt", Dump({"00 01"}));
  // A NUL in a date and bytes of a code-page-1251 file: shown escaped, never cut.
  std::string nulDate = typeTwoDump().line(0);
  nulDate.replace(3 * (131 + 1), 2, std::string(2, '\0'));
  writeDump("nul.txt", Dump({nulDate}));
  std::string foreign = typeTwoDump().line(0);
  foreign.replace(3 * (3 + 9), 2, "\xC4\xE0");
  writeDump("cp1251.txt", Dump({foreign}));
  struct Case {
    std::string input;
    std::string message;
  } cases[] = {
      {path("empty.txt"), "'$' is not a valid integer value\n"},
      {path("short.txt"), "'$' is not a valid integer value\n"},
      {path("nul.txt"), "'$\\x00\\x00' is not a valid integer value\n"},
      {path("cp1251.txt"), "'$\\xC4\\xE0' is not a valid integer value\n"},
      {path("missing.txt"), "Cannot open file \"" + path("missing.txt") + "\". No such file or directory\n"},
  };
  for (const auto& c : cases) {
    Result r = run("LANG=C", c.input + " " + path("out.txt"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, c.message);
    EXPECT_FALSE(fs::exists(path("out.txt")));
  }
  writeFileSafely(path("keep.txt"), "old");
  EXPECT_EQ(run("LANG=C", path("empty.txt") + " " + path("keep.txt")).status, 1);
  EXPECT_EQ(readWholeFile(path("keep.txt")), "old");
}

// A full device fails with the system's reason and stays a device; root
// writes to a node of its own so that a regression cannot replace /dev/full.
TEST_F(CliExportTest, DeviceTargetIsWrittenInPlaceAndItsFailureReported) {
  writeDump("d.txt", typeTwoDump());
  std::string full = "/dev/full";
  if (::geteuid() == 0 && ::mknod(path("full").c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0)
    full = path("full");
  const Result r = run("LANG=C", path("d.txt") + " " + full);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Cannot create file \"" + full + "\". No space left on device\n");
  EXPECT_TRUE(fs::is_character_file(full));
}

TEST_F(CliExportTest, UsageErrorsAndHelp) {
  EXPECT_EQ(run("LANG=C", "").status, 2);
  EXPECT_EQ(run("LANG=C", "--decimal-separator=ab a b").status, 2);
  Result help = run("LANG=C", "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("kq-cli export"), std::string::npos);
}

}  // namespace
}  // namespace kq
