#include "cli/record_range.h"

#include <climits>

namespace kq::cli {

std::string emptyRangeMessage(const RecordRange& range, int records) {
  if (records == 0) return "the dump has no records";
  return "no records at chart positions " + std::to_string(range.from) + " to " +
         (range.to == INT_MAX ? std::string("the last") : std::to_string(range.to)) +
         ": the dump has positions 0 to " + std::to_string(records - 1);
}

}  // namespace kq::cli
