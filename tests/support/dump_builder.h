#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "dump/block_layout.h"
#include "dump/dump.h"
#include "dump/dump_line.h"

// Dump lines and dumps for the tests and benchmarks, built byte by byte at the
// places the block layout gives.
namespace kq::test {

inline int firstLineByte(int record) { return layout::kRecordStart[record == 1 ? 0 : 1]; }

// A line of `fill` bytes with chosen bytes at record offsets.
class LineBuilder {
 public:
  explicit LineBuilder(std::uint8_t fill = 0) : bytes_(layout::kLineBytes, fill) {}
  LineBuilder& record(int which, int offset, std::uint8_t value) {
    bytes_.at(static_cast<std::size_t>(firstLineByte(which) + offset)) = value;
    return *this;
  }
  LineBuilder& both(int offset, std::uint8_t value) {
    return record(1, offset, value).record(2, offset, value);
  }
  std::string text() const { return makeDumpLine(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

struct ByteAt {
  int offset;  // record offset
  int value;
};

// A line of `fill` bytes with the given bytes at record offsets of record 1 or 2.
inline std::string recordLine(int record, const std::vector<ByteAt>& bytes, std::uint8_t fill = 0) {
  LineBuilder line(fill);
  for (const ByteAt& b : bytes) line.record(record, b.offset, static_cast<std::uint8_t>(b.value));
  return line.text();
}

// Replaces the two characters of a record offset by other text.
inline std::string withPair(std::string line, int record, int offset, std::string_view pair) {
  line.replace(3 * static_cast<std::size_t>(firstLineByte(record) + offset), 2, pair);
  return line;
}

// Record offsets 0 to 127; the second record of a line keeps 0 to 126.
using Record = std::array<std::uint8_t, layout::kRecordBytes>;

// A record of 15.03 at 12:34:56 with the given record number (as the grid
// shows it), controller type at offset 9 and every parameter byte = fill.
inline Record makeRecord(int type, int number, std::uint8_t fill = 0x10) {
  Record r;
  r.fill(fill);
  r[0] = 0x03;
  r[1] = 0x15;
  r[2] = 0x56;
  r[3] = 0x34;
  r[4] = 0x12;
  r[5] = r[6] = 0;
  const int stored = number + 512;
  r[7] = static_cast<std::uint8_t>(stored & 0xFF);
  r[8] = static_cast<std::uint8_t>((stored >> 8) & 0xFF);
  r[9] = static_cast<std::uint8_t>(type);
  return r;
}

inline Record emptyRecord() {
  Record r;
  r.fill(0xFF);
  return r;
}

inline std::string makeLine(const Record& first, const Record& second, int block = layout::kFirstBlock) {
  std::vector<std::uint8_t> bytes(layout::kLineBytes, 0);
  bytes[0] = 0x77;
  bytes[1] = static_cast<std::uint8_t>(block >> 8);
  bytes[2] = static_cast<std::uint8_t>(block & 0xFF);
  for (std::size_t r = 0; r < first.size(); ++r)
    bytes[static_cast<std::size_t>(layout::kRecordStart[0]) + r] = first[r];
  for (std::size_t r = 0; r + 1 < second.size(); ++r)
    bytes[static_cast<std::size_t>(layout::kRecordStart[1]) + r] = second[r];
  return makeDumpLine(bytes);
}

// Records numbered 0, 1, 2, ... whose parameter bytes all equal the record's
// position plus fillBase, two to a line.
inline Dump makeDump(int type, int lines, std::uint8_t fillBase = 0x10) {
  Dump dump;
  for (int j = 0; j < lines; ++j)
    dump.append(makeLine(makeRecord(type, 2 * j, static_cast<std::uint8_t>(fillBase + 2 * j)),
                         makeRecord(type, 2 * j + 1, static_cast<std::uint8_t>(fillBase + 2 * j + 1)),
                         layout::kFirstBlock + j));
  return dump;
}

// Records of random bytes of a controller type, none marked empty, two to a
// line: the decoders' every value, and the most distinct values a column takes.
inline Dump randomDump(int type, int lines, unsigned seed) {
  std::mt19937 random(seed);
  Dump dump;
  for (int j = 0; j < lines; ++j) {
    Record records[2];
    for (Record& r : records) {
      for (std::uint8_t& byte : r) byte = static_cast<std::uint8_t>(random());
      if (r[0] == 0xFF) r[0] = 0x01;
      r[9] = static_cast<std::uint8_t>(type);
    }
    dump.append(makeLine(records[0], records[1], layout::kFirstBlock + j));
  }
  return dump;
}

}  // namespace kq::test
