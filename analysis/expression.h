#pragma once

#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/dump_model.h"

namespace kq {

// A mistake in an expression: the 1-based character of the user's text where
// it lies and what is wrong, in Russian ("неизвестный параметр «X»",
// "ожидается число"). what() is "позиция N: WHAT".
class ExpressionError : public std::runtime_error {
 public:
  ExpressionError(int position, const std::string& problem);
  int position() const { return position_; }
  const std::string& problem() const { return problem_; }

 private:
  int position_;
  std::string problem_;
};

// One expression over the records of a dump, for derived channels and
// filters alike. Parameters are named by their titles in square brackets,
// exactly as the selectors show them ("[Обороты двигателя]"); "[T@-1]" is the
// previous record's value of T. Numbers are written with a point whatever
// the regional settings. Operators: + - * / ^, < <= > >= == !=, && || !,
// c ? a : b; functions abs, min, max, sqrt, if(c, a, b). True is 1, false 0.
//
// A record gets no value (NaN) where the result is not finite (a division by
// zero, the root of a negative number) or a parameter the expression names
// has none there (the first record for "@-1", a filtered channel's gap);
// min and max have none where any argument has none.
class Expression {
 public:
  // A mark per record position; empty marks none.
  using RecordMarks = std::span<const char>;

  // The longest text taken, in characters; longer formulas are refused
  // before they are parsed.
  static constexpr int kMaxLength = 5000;

  // Compiles text against the selector titles (title i names grid column
  // kFrameColumns + i). Throws ExpressionError.
  Expression(std::string_view text, const std::vector<std::string>& titles);
  // The same against the model's titles, found through its index: the cost
  // does not grow with the number of channels.
  Expression(std::string_view text, const DumpModel& model);

  // The value of every record of the model, as the grid would show it. Where
  // noPrevious marks a record (the first of a trip), "@-1" has no value there.
  std::vector<long double> evaluate(const DumpModel& model, RecordMarks noPrevious = {}) const;
  // The records a filter keeps: those whose value is a number other than 0.
  std::vector<char> keep(const DumpModel& model, RecordMarks noPrevious = {}) const;

  // The grid columns the expression names.
  std::vector<int> columns() const;

 private:
  struct Reference {
    int column;
    bool previous;
  };
  // The grid column a bracketed title names, or nothing.
  using ColumnLookup = std::function<std::optional<int>(std::string_view title)>;
  void compile(std::string_view text, const ColumnLookup& columnOf);
  std::vector<double> evaluateRaw(const DumpModel& model, RecordMarks noPrevious) const;

  std::string translated_;  // the user's text with each [..] a variable name
  std::vector<Reference> references_;
};

// "NAME=EXPR" of the command line, split at the first "=" (names may not hold one).
struct ChannelDefinition {
  std::string name;
  std::string formula;
};

// A channel's name must be new among the model's titles, fit in brackets and
// hold no control character; throws std::runtime_error saying what is wrong.
void checkChannelName(const std::string& name, const DumpModel& model);

// Adds each channel to the model as a derived column, in order; a channel may
// name the ones before it. Throws std::runtime_error: "канал «NAME»: " and
// the name's or the formula's mistake. noPrevious as for Expression::evaluate.
void addChannels(DumpModel& model, std::span<const ChannelDefinition> channels,
                 Expression::RecordMarks noPrevious = {});

}  // namespace kq
