#include "analysis/expression.h"

#include <muParser.h>

#include <algorithm>
#include <cmath>
#include <limits>

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
double smallest(const double* values, int count) { return *std::min_element(values, values + count); }
double largest(const double* values, int count) { return *std::max_element(values, values + count); }

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
  // positions[i]: the user's character (1-based) that byte i of translated_ stands for.
  std::vector<int> positions;
  int character = 0;
  auto emit = [&](std::string_view part, int at) {
    translated_ += part;
    positions.insert(positions.end(), part.size(), at);
  };
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    const int at = ++character;
    if (c == '[') {
      const std::size_t close = text.find(']', i + 1);
      if (close == std::string_view::npos) throw ExpressionError(at, "нет закрывающей «]»");
      std::string_view name = text.substr(i + 1, close - i - 1);
      const bool previous = name.size() >= kPreviousSuffix.size() && name.ends_with(kPreviousSuffix);
      if (previous) name.remove_suffix(kPreviousSuffix.size());
      auto found = std::find(titles.begin(), titles.end(), name);
      if (found == titles.end())
        throw ExpressionError(at, "неизвестный параметр «" + std::string(name) + "»");
      const int column = kFrameColumns + int(found - titles.begin());
      references_.push_back({column, previous});
      emit(" ", at);
      emit(variableName(references_.size() - 1), at);
      emit(" ", at);
      for (std::size_t k = i + 1; k <= close; ++k)
        if (!isContinuationByte(text[k])) ++character;
      i = close + 1;
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
      continue;
    }
    if (static_cast<unsigned char>(c) >= 0x80)
      throw ExpressionError(at, "непонятный знак «" + characterAt(text, i) + "»");
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

std::vector<double> Expression::evaluateRaw(const DumpModel& model) const {
  const int records = model.recordCount();
  std::vector<double> results(std::size_t(records), kNoValue);
  if (records == 0) return results;
  std::vector<std::vector<double>> inputs(references_.size());
  for (std::size_t k = 0; k < references_.size(); ++k) {
    const std::vector<long double>& values = model.values(references_[k].column);
    std::vector<double>& input = inputs[k];
    input.resize(std::size_t(records));
    const int shift = references_[k].previous ? 1 : 0;
    for (int i = 0; i < records; ++i)
      input[i] = i < shift ? kNoValue : static_cast<double>(values[i - shift]);
  }
  mu::Parser parser;
  setUp(parser);
  for (std::size_t k = 0; k < inputs.size(); ++k) parser.DefineVar(variableName(k), inputs[k].data());
  parser.SetExpr(translated_);
  parser.Eval(results.data(), records);
  // A record where a named parameter has no value has none either, whatever
  // a comparison or if() made of it.
  for (const std::vector<double>& input : inputs)
    for (int i = 0; i < records; ++i)
      if (std::isnan(input[i])) results[i] = kNoValue;
  return results;
}

std::vector<long double> Expression::evaluate(const DumpModel& model) const {
  const std::vector<double> raw = evaluateRaw(model);
  std::vector<long double> values(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) values[i] = shownValue(raw[i]);
  return values;
}

std::vector<char> Expression::keep(const DumpModel& model) const {
  const std::vector<double> raw = evaluateRaw(model);
  std::vector<char> kept(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) kept[i] = std::isfinite(raw[i]) && raw[i] != 0;
  return kept;
}

void checkChannelName(const std::string& name, const std::vector<std::string>& titles) {
  if (name.empty()) throw std::runtime_error("у канала нет имени");
  if (std::find(titles.begin(), titles.end(), name) != titles.end())
    throw std::runtime_error("имя «" + name + "» уже занято");
  if (name.find_first_of("[]") != std::string::npos || name.ends_with(kPreviousSuffix))
    throw std::runtime_error("имя канала не может содержать «[» и «]» и кончаться на «@-1»");
}

void addChannels(DumpModel& model, std::span<const ChannelDefinition> channels) {
  for (const ChannelDefinition& channel : channels) {
    try {
      checkChannelName(channel.name, model.titles());
      Expression expression(channel.formula, model.titles());
      model.addDerived(channel.name, expression.evaluate(model));
    } catch (const std::runtime_error& error) {
      throw std::runtime_error("канал «" + channel.name + "»: " + error.what());
    }
  }
}

}  // namespace kq
