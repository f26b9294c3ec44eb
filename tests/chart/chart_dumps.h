#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "dump/dump.h"
#include "dump/dump_line.h"

// Dumps for the chart tests and benchmarks, built byte by byte.
namespace kq::chart_test {

// Record offsets 0 to 127; the second record of a line keeps 0 to 126.
using Record = std::array<std::uint8_t, 128>;

// A record of 15.03 at 12:34:56 with the given record number (as column 2
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
  int stored = number + 512;
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

inline std::string makeLine(const Record& first, const Record& second, int block = 0x0100) {
  std::vector<std::uint8_t> bytes(258, 0);
  bytes[0] = 0x77;
  bytes[1] = static_cast<std::uint8_t>(block >> 8);
  bytes[2] = static_cast<std::uint8_t>(block & 0xFF);
  for (int r = 0; r < 128; ++r) bytes[3 + r] = first[r];
  for (int r = 0; r < 127; ++r) bytes[131 + r] = second[r];
  return makeDumpLine(bytes);
}

// Records numbered 0, 1, 2, ... whose parameter bytes all equal the record's
// position plus fillBase, two to a line.
inline Dump makeDump(int type, int lines, std::uint8_t fillBase = 0x10) {
  Dump dump;
  for (int j = 0; j < lines; ++j)
    dump.append(makeLine(makeRecord(type, 2 * j, static_cast<std::uint8_t>(fillBase + 2 * j)),
                         makeRecord(type, 2 * j + 1, static_cast<std::uint8_t>(fillBase + 2 * j + 1)),
                         0x0100 + j));
  return dump;
}

}  // namespace kq::chart_test
