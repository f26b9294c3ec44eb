#include "dump/recovery_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/utf8_path.h"
#include "dump/dump_file.h"
#include "tests/support/temp_dir.h"

namespace kq {
namespace {

namespace fs = std::filesystem;

TEST(RecoveryFileTest, LinesLoadAsADumpFromAFolderOfAnyName) {
  test::TempDir dir;
  // A user folder the ANSI code page of a Windows system may not hold.
  const fs::path folder =
      dir.path_ / utf8Path("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD \xE2\x9C\x93") / "kq-unloader";
  const fs::path path = RecoveryFile::newPath(folder);
  {
    RecoveryFile recovery(path);
    for (int i = 0; i < RecoveryFile::kLinesBetweenSyncs + 2; ++i) recovery.append(i % 2 ? "AA BB" : "01 02");
  }
  Dump loaded;
  loadDumpFile(utf8Text(path), loaded);
  ASSERT_EQ(loaded.size(), std::size_t(RecoveryFile::kLinesBetweenSyncs + 2));
  EXPECT_EQ(loaded.line(1), "AA BB");
  EXPECT_NE(RecoveryFile::newPath(folder), path);
}

TEST(RecoveryFileTest, PruningKeepsTheNewestAndLeavesOtherFiles) {
  test::TempDir dir;
  for (const char* name : {"recovery-2026-01-01-000000.txt", "recovery-2026-03-01-000000.txt",
                           "recovery-2026-02-01-000000.txt", "notes.txt"})
    std::ofstream(dir.path_ / name) << "x";
  RecoveryFile::pruneOld(dir.path_, 2);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"notes.txt", "recovery-2026-02-01-000000.txt",
                                                     "recovery-2026-03-01-000000.txt"}));
}

}  // namespace
}  // namespace kq
