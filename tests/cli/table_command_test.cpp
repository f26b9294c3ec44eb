// kq-cli table's refusals: each says what is wrong, writes nothing to
// standard output and leaves a status other than 0.
#include <gtest/gtest.h>

#include <string>

#include "cli_runner.h"
#include "dump/dump_file.h"
#include "sim/memory.h"

namespace kq {
namespace {

std::string numbers(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += std::to_string(i) + " ";
  return text;
}

TEST(CliTableTest, RefusalsSayWhatIsWrong) {
  test::CliRunner cli;
  saveDumpFile(cli.path("dump.txt"), Dump(sim::syntheticDumpLines(6, 40)));
  const std::string table =
      "table --x 'Обороты двигателя' --y 'Скорость автомобиля' --z 'Обороты двигателя' "
      "--stat count " +
      cli.path("dump.txt") + " ";
  struct Case {
    std::string args;
    int status;
    std::string message;
  } cases[] = {
      // 10,000 × 10,000 cells would fill the memory.
      {"--x-breaks '" + numbers(10000) + "' --y-breaks '" + numbers(10000) + "'", 2,
       "kq-cli table: breakpoints: слишком много чисел: 10000, не больше 256\n"},
      {"--y-breaks '" + numbers(257) + "'", 2,
       "kq-cli table: breakpoints: слишком много чисел: 257, не больше 256\n"},
      {"--x-breaks '1 2 три'", 2, "kq-cli table: breakpoints: «три» — не число\n"},
      {"--channel 'p=--[Обороты двигателя]'", 1,
       "kq-cli table: канал «p»: позиция 2: два знака действия подряд\n"},
  };
  for (const Case& c : cases) {
    const auto result = cli.run("LANG=C", table + c.args);
    EXPECT_EQ(result.status, c.status) << c.message;
    EXPECT_EQ(result.err, c.message);
    EXPECT_EQ(result.out, "");
  }
  EXPECT_NE(cli.run("LANG=C", "table --help").out.find("at most 256 per"), std::string::npos);
}

}  // namespace
}  // namespace kq
