#include "cli/record_range.h"

#include <charconv>

namespace kq::cli {
namespace {
bool readPosition(const std::string& text, int& out) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0) return false;
  out = value;
  return true;
}
}  // namespace

RangeOption takeRangeOption(const std::vector<std::string>& args, std::size_t& i, RecordRange& range) {
  for (const char* name : {"--from", "--to"}) {
    const std::string option = name;
    int& target = option == "--from" ? range.from : range.to;
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
