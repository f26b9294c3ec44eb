#include "cli/record_range.h"

#include <climits>
#include <utility>

#include "cli/whole_number.h"

namespace kq::cli {
namespace {
bool readPosition(std::string_view text, int& out) {
  const auto value = wholeNumber(text, 0, INT_MAX);
  if (value) out = *value;
  return value.has_value();
}
}  // namespace

RangeOption takeRangeOption(const std::vector<std::string>& args, std::size_t& i, RecordRange& range) {
  for (auto [option, targetOf] : {std::pair<std::string, int*>{"--from", &range.from}, {"--to", &range.to}}) {
    int& target = *targetOf;
    if (args[i] == option) {
      if (i + 1 >= args.size()) return RangeOption::invalid;
      return readPosition(args[++i], target) ? RangeOption::taken : RangeOption::invalid;
    }
    if (args[i].rfind(option + "=", 0) == 0)
      return readPosition(args[i].substr(option.size() + 1), target) ? RangeOption::taken
                                                                     : RangeOption::invalid;
  }
  return RangeOption::notRange;
}

std::string emptyRangeMessage(const RecordRange& range, int records) {
  if (records == 0) return "the dump has no records";
  return "no records at chart positions " + std::to_string(range.from) + " to " +
         (range.to == INT_MAX ? std::string("the last") : std::to_string(range.to)) +
         ": the dump has positions 0 to " + std::to_string(records - 1);
}

}  // namespace kq::cli
