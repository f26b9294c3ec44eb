#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "decode/record_view.h"
#include "dump/dump_line.h"

namespace kq::test {

struct ByteAt {
  int offset;  // record offset
  int value;
};

inline constexpr int kLineBytes = 258;

inline int firstLineByte(int record) {
  return record == 1 ? RecordView::kFirstByteOfRecord1 : RecordView::kFirstByteOfRecord2;
}

// A full dump line of `fill` bytes with the given bytes at record offsets of
// record 1 or 2.
inline std::string recordLine(int record, const std::vector<ByteAt>& bytes, std::uint8_t fill = 0) {
  std::vector<std::uint8_t> line(kLineBytes, fill);
  for (const ByteAt& b : bytes)
    line.at(firstLineByte(record) + b.offset) = static_cast<std::uint8_t>(b.value);
  return makeDumpLine(line);
}

// Replaces the two characters of a record offset by other text.
inline std::string withPair(std::string line, int record, int offset, std::string_view pair) {
  line.replace(3 * (firstLineByte(record) + offset), 2, pair);
  return line;
}

}  // namespace kq::test
