#include "analysis/expression.h"

#include <muParser.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "analysis/printable_text.h"

namespace kq {
namespace {
constexpr std::string_view kPreviousSuffix = "@-1";
constexpr std::string_view kFunctions[] = {"abs", "min", "max", "sqrt", "if"};
constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// The muparser name of the k-th bracketed parameter: one the user cannot type,
// since bare names other than the functions are refused.
std::string variableName(std::size_t k) {
  std::string name = std::to_string(k);
  name.insert(name.begin(), 'p');  // GCC 12 warns falsely on a sum with std::to_string
  return name;
}

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
// muparser skips every byte up to the blank, and ends the text at a NUL.
bool isBlank(char c) { return c > 0 && c <= ' '; }
bool isControl(char c) { return c >= 0 && c < ' ' && c != '\t' && c != '\n' && c != '\r'; }

// What the text before a character was, for telling a sign that applies to
// what follows from an operator between two values.
enum class Token { start, value, function, sign, other };

std::string controlCharacterProblem(char c) { return "непонятный знак (код " + std::to_string(int(c)) + ")"; }

int characterCount(std::string_view text) {
  return int(std::count_if(text.begin(), text.end(), [](char c) { return !isContinuationByte(c); }));
}

// A numeral (digits and points) beyond the largest double: muparser cannot read it.
bool isTooLarge(std::string_view numeral) {
  double value = 0;
  const auto [end, error] = std::from_chars(numeral.data(), numeral.data() + numeral.size(), value);
  if (error != std::errc::result_out_of_range) return false;
  // Out of range below: the number is too small to tell from 0, and muparser reads it as 0.
  const std::string_view whole = numeral.substr(0, numeral.find('.'));
  return whole.find_first_not_of('0') != std::string_view::npos;
}

// The whole UTF-8 character that starts at text[at].
std::string characterAt(std::string_view text, std::size_t at) {
  std::size_t end = at + 1;
  while (end < text.size() && isContinuationByte(text[end])) ++end;
  return std::string(text.substr(at, end - at));
}

double absolute(double v) { return std::fabs(v); }
double squareRoot(double v) { return std::sqrt(v); }
double notOperator(double v) { return v == 0 ? 1 : 0; }
double choose(double condition, double whenTrue, double whenFalse) {
  return condition != 0 ? whenTrue : whenFalse;
}
// An argument without a value (not finite: a division by zero too) gives
// none, wherever it stands.
bool anyMissing(const double* values, int count) {
  return std::any_of(values, values + count, [](double v) { return !std::isfinite(v); });
}
double smallest(const double* values, int count) {
  return anyMissing(values, count) ? kNoValue : *std::min_element(values, values + count);
}
double largest(const double* values, int count) {
  return anyMissing(values, count) ? kNoValue : *std::max_element(values, values + count);
}

// muparser with exactly the functions and operators the expressions offer.
void setUp(mu::Parser& parser) {
  parser.ClearConst();
  parser.ClearFun();
  parser.DefineFun("abs", absolute);
  parser.DefineFun("sqrt", squareRoot);
  parser.DefineFun("if", choose);
  parser.DefineFun("min", smallest);
  parser.DefineFun("max", largest);
  parser.DefineInfixOprt("!", notOperator);
}

std::string problemOf(const mu::ParserError& error) {
  switch (error.GetCode()) {
    case mu::ecUNEXPECTED_EOF:
    case mu::ecUNEXPECTED_OPERATOR:
    case mu::ecVAL_EXPECTED:
    case mu::ecEMPTY_EXPRESSION:
      return "ожидается число";
    case mu::ecUNEXPECTED_VAL:
    case mu::ecUNEXPECTED_VAR:
    case mu::ecUNEXPECTED_FUN:
      return "ожидается знак действия";
    case mu::ecUNEXPECTED_ARG_SEP:
      return "запятая вне скобок функции (дробную часть отделяет точка)";
    case mu::ecUNEXPECTED_PARENS:
      return "скобка не на месте";
    case mu::ecMISSING_PARENS:
      return "не хватает закрывающей скобки";
    case mu::ecTOO_MANY_PARAMS:
      return "слишком много аргументов";
    case mu::ecTOO_FEW_PARAMS:
      return "слишком мало аргументов";
    case mu::ecUNEXPECTED_CONDITIONAL:
    case mu::ecMISSING_ELSE_CLAUSE:
    case mu::ecMISPLACED_COLON:
      return "неполное условие «? :»";
    case mu::ecUNASSIGNABLE_TOKEN:
      return "непонятный знак";
    default:
      return "ошибка в выражении";
  }
}
}  // namespace

ExpressionError::ExpressionError(int position, const std::string& problem)
    : std::runtime_error("позиция " + std::to_string(position) + ": " + problem),
      position_(position),
      problem_(problem) {}

Expression::Expression(std::string_view text, const std::vector<std::string>& titles) {
  compile(text, [&titles](std::string_view title) -> std::optional<int> {
    const auto found = std::find(titles.begin(), titles.end(), title);
    if (found == titles.end()) return std::nullopt;
    return kFrameColumns + int(found - titles.begin());
  });
}

Expression::Expression(std::string_view text, const DumpModel& model) {
  compile(text, [&model](std::string_view title) { return model.columnOf(title); });
}

// Each "[T]" of at least 3 characters becomes " pK " of 3 + up to 4 digits
// bytes, so the longest text taken fits muparser's limit.
static_assert(Expression::kMaxLength / 3 < 10000 && Expression::kMaxLength * 7 / 3 < mu::MaxLenExpression);

void Expression::compile(std::string_view text, const ColumnLookup& columnOf) {
  if (characterCount(text) > kMaxLength)
    throw ExpressionError(kMaxLength + 1, "выражение длиннее " + std::to_string(kMaxLength) + " знаков");
  // positions[i]: the user's character (1-based) that byte i of translated_ stands for.
  std::vector<int> positions;
  int character = 0;
  auto emit = [&](std::string_view part, int at) {
    translated_ += part;
    positions.insert(positions.end(), part.size(), at);
  };
  Token previous = Token::start;
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    const int at = ++character;
    if (c == '[') {
      const std::size_t close = text.find(']', i + 1);
      if (close == std::string_view::npos) throw ExpressionError(at, "нет закрывающей «]»");
      std::string_view name = text.substr(i + 1, close - i - 1);
      // No title holds a control character, and a message must not either.
      for (std::size_t k = 0, inName = 0; k < name.size(); ++k) {
        if (isControl(name[k])) throw ExpressionError(at + 1 + int(inName), controlCharacterProblem(name[k]));
        if (!isContinuationByte(name[k])) ++inName;
      }
      const bool previousRecord = name.size() >= kPreviousSuffix.size() && name.ends_with(kPreviousSuffix);
      if (previousRecord) name.remove_suffix(kPreviousSuffix.size());
      const std::optional<int> column = columnOf(name);
      if (!column) throw ExpressionError(at, "неизвестный параметр «" + std::string(name) + "»");
      references_.push_back({*column, previousRecord});
      emit(" ", at);
      emit(variableName(references_.size() - 1), at);
      emit(" ", at);
      for (std::size_t k = i + 1; k <= close; ++k)
        if (!isContinuationByte(text[k])) ++character;
      i = close + 1;
      previous = Token::value;
      continue;
    }
    if (c == ']') throw ExpressionError(at, "лишняя «]»");
    if (isAsciiLetter(c)) {
      std::size_t end = i;
      while (end < text.size() && (isAsciiLetter(text[end]) || isDigit(text[end]))) ++end;
      const std::string_view name = text.substr(i, end - i);
      if (std::find(std::begin(kFunctions), std::end(kFunctions), name) == std::end(kFunctions))
        throw ExpressionError(at, "неизвестное имя «" + std::string(name) + "» (параметры пишут в [ ])");
      emit(name, at);
      character += int(name.size()) - 1;
      i = end;
      previous = Token::function;
      continue;
    }
    if (isDigit(c) || c == '.') {
      std::size_t end = i;
      while (end < text.size() && (isDigit(text[end]) || text[end] == '.')) ++end;
      const std::string_view numeral = text.substr(i, end - i);
      if (isTooLarge(numeral)) throw ExpressionError(at, "число слишком большое");
      for (std::size_t k = 0; k < numeral.size(); ++k) emit(numeral.substr(k, 1), at + int(k));
      character += int(numeral.size()) - 1;
      i = end;
      previous = Token::value;
      continue;
    }
    if (static_cast<unsigned char>(c) >= 0x80)
      throw ExpressionError(at, "непонятный знак «" + characterAt(text, i) + "»");
    if (isControl(c)) throw ExpressionError(at, controlCharacterProblem(c));
    // A sign where no value stands before it applies to what follows ("-1",
    // "!x"). muparser takes no such sign right after another ("--1", "!!1")
    // and would only say that a number is expected after the second.
    const bool notEqual = c == '!' && i + 1 < text.size() && text[i + 1] == '=';
    if ((c == '-' || c == '+' || (c == '!' && !notEqual)) && previous != Token::value) {
      if (previous == Token::sign) throw ExpressionError(at, "два знака действия подряд");
      previous = Token::sign;
    } else if (c == ')') {
      previous = Token::value;
    } else if (!isBlank(c)) {
      previous = Token::other;
    }
    emit(std::string_view(&c, 1), at);
    ++i;
  }
  positions.push_back(character + 1);  // the end of the text

  // muparser parses on the first evaluation: one with stand-in values finds every mistake.
  mu::Parser parser;
  setUp(parser);
  std::vector<double> standIns(references_.size(), 1.0);
  try {
    for (std::size_t k = 0; k < references_.size(); ++k) parser.DefineVar(variableName(k), &standIns[k]);
    parser.SetExpr(translated_);
    parser.Eval();
    // muparser takes "a, b" as two results: a decimal comma, most likely.
    if (parser.GetNumResults() > 1) {
      int depth = 0;
      for (std::size_t i = 0; i < translated_.size(); ++i) {
        depth += translated_[i] == '(' ? 1 : translated_[i] == ')' ? -1 : 0;
        if (translated_[i] == ',' && depth == 0) throw mu::ParserError(mu::ecUNEXPECTED_ARG_SEP, int(i), ",");
      }
    }
  } catch (const mu::ParserError& error) {
    const int position = error.GetPos();
    const int userPosition =
        position >= 0 && std::size_t(position) < positions.size() ? positions[position] : positions.back();
    std::string problem = problemOf(error);
    if (error.GetCode() == mu::ecUNASSIGNABLE_TOKEN && !error.GetToken().empty())
      problem += " «" + error.GetToken() + "»";
    throw ExpressionError(userPosition, problem);
  }
}

std::vector<int> Expression::columns() const {
  std::vector<int> columns;
  for (const Reference& reference : references_) columns.push_back(reference.column);
  return columns;
}

std::vector<double> Expression::evaluateRaw(const DumpModel& model, RecordMarks noPrevious) const {
  const int records = model.recordCount();
  std::vector<double> results(std::size_t(records), kNoValue);
  if (records == 0) return results;
  std::vector<const long double*> columns;
  for (const Reference& reference : references_) columns.push_back(model.values(reference.column).data());
  // Record by record rather than muparser's bulk evaluation, which starts a
  // team of threads every time: on a busy machine that costs milliseconds a
  // channel, for work of microseconds.
  std::vector<double> current(references_.size());
  mu::Parser parser;
  setUp(parser);
  for (std::size_t k = 0; k < current.size(); ++k) parser.DefineVar(variableName(k), &current[k]);
  parser.SetExpr(translated_);
  for (int i = 0; i < records; ++i) {
    // A record where a named parameter has no value has none either, whatever
    // a comparison or if() would make of it.
    bool complete = true;
    for (std::size_t k = 0; k < current.size() && complete; ++k) {
      const bool hasPrevious = noPrevious.empty() || !noPrevious[std::size_t(i)];
      const int at = references_[k].previous ? (hasPrevious ? i - 1 : -1) : i;
      current[k] = at < 0 ? kNoValue : static_cast<double>(columns[k][at]);
      complete = !std::isnan(current[k]);
    }
    if (complete) results[i] = parser.Eval();
  }
  return results;
}

std::vector<long double> Expression::evaluate(const DumpModel& model, RecordMarks noPrevious) const {
  const std::vector<double> raw = evaluateRaw(model, noPrevious);
  std::vector<long double> values(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) values[i] = shownValue(raw[i]);
  return values;
}

std::vector<char> Expression::keep(const DumpModel& model, RecordMarks noPrevious) const {
  const std::vector<double> raw = evaluateRaw(model, noPrevious);
  std::vector<char> kept(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) kept[i] = std::isfinite(raw[i]) && raw[i] != 0;
  return kept;
}

void checkChannelName(const std::string& name, const DumpModel& model) {
  if (name.empty()) throw std::runtime_error("у канала нет имени");
  if (model.columnOf(name)) throw std::runtime_error("имя «" + name + "» уже занято");
  if (name.find_first_of("[]") != std::string::npos || name.ends_with(kPreviousSuffix))
    throw std::runtime_error("имя канала не может содержать «[» и «]» и кончаться на «@-1»");
  // A line break would split the line of statistics, a NUL cut the name short.
  if (printableText(name) != name)
    throw std::runtime_error("имя канала не может содержать управляющих знаков");
}

void addChannels(DumpModel& model, std::span<const ChannelDefinition> channels,
                 Expression::RecordMarks noPrevious) {
  for (const ChannelDefinition& channel : channels) {
    try {
      checkChannelName(channel.name, model);
      Expression expression(channel.formula, model);
      model.addDerived(channel.name, expression.evaluate(model, noPrevious));
    } catch (const std::runtime_error& error) {
      throw std::runtime_error("канал «" + printableText(channel.name) + "»: " + error.what());
    }
  }
}

}  // namespace kq
