#include "base/state_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace kq {
namespace {

namespace fs = std::filesystem;

TEST(StateFolderTest, FollowsTheBaseDirectoryRules) {
  const char* home = std::getenv("HOME");
  const std::string savedHome = home ? home : "";
  struct Case {
    const char* state;
    const char* home;
    const char* expected;
  };
  for (Case c : {Case{"/s", "/h", "/s/kq-unloader"}, Case{"relative", "/h", "/h/.local/state/kq-unloader"},
                 Case{"", "/h", "/h/.local/state/kq-unloader"}, Case{"", "", ""}}) {
    setenv("XDG_STATE_HOME", c.state, 1);
    setenv("HOME", c.home, 1);
    EXPECT_EQ(userStateFolder(), fs::path(c.expected)) << c.state << " " << c.home;
  }
  unsetenv("XDG_STATE_HOME");
  setenv("HOME", savedHome.c_str(), 1);
}

}  // namespace
}  // namespace kq
