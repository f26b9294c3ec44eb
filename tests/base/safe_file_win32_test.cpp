// The safe writer's Windows cases; the POSIX ones are in safe_file_test.cpp.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/safe_file.h"
#include "tests/support/temp_dir.h"

namespace kq {
namespace {

namespace fs = std::filesystem;

TEST(SafeFileTest, DeviceTargetIsWrittenInPlaceNeverReplaced) {
  test::TempDir dir;
  const auto current = fs::current_path();
  fs::current_path(dir.path_);
  EXPECT_NO_THROW(writeFileSafely("NUL", "x"));
  fs::current_path(current);
  EXPECT_TRUE(dir.entries().empty());
}

}  // namespace
}  // namespace kq
