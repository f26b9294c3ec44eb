#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "dump/dump_line.h"

namespace kq::test {

// A 258-byte block line with chosen bytes at record offsets. Record 1 offset r
// is line byte 3 + r, record 2 offset r is line byte 131 + r.
class LineBuilder {
 public:
  explicit LineBuilder(std::uint8_t fill = 0) : bytes_(258, fill) {}
  LineBuilder& record(int which, int offset, std::uint8_t value) {
    bytes_[static_cast<std::size_t>((which == 1 ? 3 : 131) + offset)] = value;
    return *this;
  }
  LineBuilder& both(int offset, std::uint8_t value) { return record(1, offset, value).record(2, offset, value); }
  std::string text() const { return makeDumpLine(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace kq::test
