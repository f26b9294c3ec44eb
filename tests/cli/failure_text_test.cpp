// What kq-cli says when a command fails: the program's own messages as they
// are, the C++ library's exceptions in plain words.
#include "cli/failure_text.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <vector>

#include "base/file_error.h"

namespace kq::cli {
namespace {

TEST(FailureTextTest, NoLibraryTextReachesTheUser) {
  struct Case {
    std::function<void()> fail;
    std::string reported;
  };
  const Case cases[] = {
      {[] { throw std::bad_alloc(); }, "kq-cli table: не хватает памяти\n"},
      {[] { std::vector<int>().reserve(std::size_t(-1)); }, "kq-cli table: не хватает памяти\n"},
      {[] { (void)std::vector<int>().at(1); }, "kq-cli table: внутренняя ошибка программы\n"},
      {[] { std::function<void()>()(); }, "kq-cli table: внутренняя ошибка программы\n"},
      {[] { throw FileError("Cannot open file \"/x\". No such file or directory"); },
       "Cannot open file \"/x\". No such file or directory\n"},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    try {
      c.fail();
      ADD_FAILURE() << "did not fail: " << c.reported;
    } catch (const std::exception& error) {
      reportFailure("table", error);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.reported);
  }
}

}  // namespace
}  // namespace kq::cli
