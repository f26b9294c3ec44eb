#include "analysis/expression.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/model_builder.h"
#include "tests/support/number_text.h"

namespace kq {
namespace {

const std::vector<std::string> kTitles = {"Обороты двигателя", "Нагрузка,ограниченная сверху", "B"};

DumpModel sampleModel() {
  return test::modelOf(
      {{"800", "1000", "1500", "3000"}, {"0,5", "0,75", "1", "0,1"}, {"2", "0", "3,5", "-1"}}, ',', kTitles);
}

// Each record's value as the grid shows it, "" for none.
std::vector<std::string> texts(const std::vector<long double>& values) {
  std::vector<std::string> out;
  for (long double value : values) out.push_back(std::isnan(value) ? "" : test::formatNumber(value, ','));
  return out;
}

TEST(ExpressionTest, ValuesOfEveryRecord) {
  struct Case {
    const char* text;
    std::vector<std::string> values;
  };
  const Case cases[] = {
      {"[Обороты двигателя] / 1000", {"0,8", "1", "1,5", "3"}},
      {"[Обороты двигателя] - [Обороты двигателя@-1]", {"", "200", "500", "1500"}},
      {"[Нагрузка,ограниченная сверху] * 2 + 0.25", {"1,25", "1,75", "2,25", "0,45"}},
      {"1 / [B]", {"0,5", "", "0,285714285714286", "-1"}},  // no value for a division by zero
      {"sqrt([B])", {"1,4142135623731", "0", "1,87082869338697", ""}},
      {"abs([B]) + min([B], 1, 2) * max([B], 0)", {"4", "0", "7", "1"}},
      {"if([B] > 0 && ![Обороты двигателя] == 0, 1, -1)", {"1", "-1", "1", "-1"}},
      {"[B] >= 2 || [Обороты двигателя] < 900", {"1", "0", "1", "0"}},
      {"[B] != 0 ? 10 : 20", {"10", "20", "10", "10"}},
      {"0.1 + 0.2 - 2^2", {"-3,7", "-3,7", "-3,7", "-3,7"}},
      {"if([B@-1] > 0, 1, 2)", {"", "1", "2", "1"}},  // the first record has no previous value
      // An argument of min or max without a value, in either place, leaves none.
      {"min(1, 1 / [B])", {"0,5", "", "0,285714285714286", "-1"}},
      {"min(1 / [B], 1)", {"0,5", "", "0,285714285714286", "-1"}},
      {"max(sqrt([B]), 0)", {"1,4142135623731", "0", "1,87082869338697", ""}},
      {"max(0, sqrt([B]))", {"1,4142135623731", "0", "1,87082869338697", ""}},
      {"[B] - -1 + 2 * -[B]", {"-1", "1", "-2,5", "2"}},  // an operator, then one sign
  };
  const DumpModel model = sampleModel();
  for (const Case& c : cases)
    EXPECT_EQ(texts(Expression(c.text, kTitles).evaluate(model)), c.values) << c.text;
}

TEST(ExpressionTest, MistakesNameTheirPositionAndWhatIsWrong) {
  struct Case {
    std::string text;
    int position;
    std::string problem;
  };
  const Case cases[] = {
      {"[Обороты] + 1", 1, "неизвестный параметр «Обороты»"},
      {"1 + [Обороты двигателя@-2]", 5, "неизвестный параметр «Обороты двигателя@-2»"},
      {"2 * [B", 5, "нет закрывающей «]»"},
      {"[B] + ", 7, "ожидается число"},
      {"[Обороты двигателя] * * 2", 23, "ожидается число"},
      {"1,5 + [B]", 2, "запятая вне скобок функции (дробную часть отделяет точка)"},
      {"sin([B])", 1, "неизвестное имя «sin» (параметры пишут в [ ])"},
      {"([B] + 1", 9, "не хватает закрывающей скобки"},
      {"[B] 2", 5, "ожидается знак действия"},
      {"[B] ] 2", 5, "лишняя «]»"},
      {"1 + ё", 5, "непонятный знак «ё»"},
      {"if(1, 2)", 8, "слишком мало аргументов"},
      {"", 1, "ожидается число"},
      {"--1", 2, "два знака действия подряд"},
      {"[B] * !!1", 8, "два знака действия подряд"},
      {"1 - -+1", 6, "два знака действия подряд"},
      {"1 + " + std::string(309, '9'), 5, "число слишком большое"},
      {std::string("1 +\0 1", 6), 4, "непонятный знак (код 0)"},
      {std::string("[Обо\0роты]", 17), 5, "непонятный знак (код 0)"},
      {std::string(Expression::kMaxLength + 1, '1'), Expression::kMaxLength + 1,
       "выражение длиннее 5000 знаков"},
  };
  for (const Case& c : cases) {
    try {
      Expression expression(c.text, kTitles);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const ExpressionError& error) {
      EXPECT_EQ(error.position(), c.position) << c.text;
      EXPECT_EQ(error.problem(), c.problem) << c.text;
      EXPECT_EQ(std::string(error.what()), "позиция " + std::to_string(c.position) + ": " + c.problem);
    }
  }
}

// The longest text, its bracketed titles made longer for muparser, is taken.
TEST(ExpressionTest, TheLongestTextIsTaken) {
  std::string text = "[B]";
  while (text.size() + 4 <= std::size_t(Expression::kMaxLength)) text += "+[B]";
  EXPECT_EQ(texts(Expression(text, kTitles).evaluate(sampleModel()))[0], "2500");
  EXPECT_EQ(texts(Expression("0." + std::string(400, '0') + "1 + 1", kTitles).evaluate(sampleModel()))[0],
            "1");
}

TEST(ExpressionTest, AFilterKeepsRecordsWithANonZeroValue) {
  const DumpModel model = sampleModel();
  EXPECT_EQ(Expression("[Обороты двигателя] > 900 && [B] != 0", kTitles).keep(model),
            (std::vector<char>{0, 0, 1, 1}));
  EXPECT_EQ(Expression("1 / ([B] - [B])", kTitles).keep(model), (std::vector<char>{0, 0, 0, 0}));
}

TEST(ExpressionTest, ChannelsFollowTheDecodedColumnsAndMayNameEarlierChannels) {
  DumpModel model = sampleModel();
  const ChannelDefinition channels[] = {{"Обороты, тыс.", "[Обороты двигателя] / 1000"},
                                        {"Удвоенные", "[Обороты, тыс.] * 2"}};
  addChannels(model, channels);
  ASSERT_EQ(model.columnCount(), kFrameColumns + 5);
  EXPECT_EQ(model.title(kFrameColumns + 4), "Удвоенные");
  EXPECT_EQ(model.cell(4, kFrameColumns + 4), "6");

  const ChannelDefinition taken[] = {{"B", "1"}};
  EXPECT_THROW(addChannels(model, taken), std::runtime_error);
  struct Case {
    ChannelDefinition channel;
    std::string message;
  };
  const Case wrong[] = {
      {{"X", "[Нет такого]"}, "канал «X»: позиция 1: неизвестный параметр «Нет такого»"},
      // A line break would split the line of statistics, a NUL cut the message.
      {{std::string("a\0b", 3), "1"}, "канал «a\uFFFDb»: имя канала не может содержать управляющих знаков"},
  };
  for (const Case& c : wrong) {
    try {
      addChannels(model, std::span(&c.channel, 1));
      ADD_FAILURE() << c.message;
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(error.what(), c.message);
    }
  }
}

}  // namespace
}  // namespace kq
