#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "dump/dump.h"
#include "dump/dump_line.h"

namespace kq::bench {

// A full download (3840 lines) of random bytes with the given controller type
// and no record marked empty: the worst case for the decoders.
inline Dump randomFullDump(int controllerType, unsigned seed = 1) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> bytes(258);
  Dump dump;
  for (int line = 0; line < 3840; ++line) {
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    for (int base : {3, 131}) {
      if (bytes[static_cast<std::size_t>(base)] == 0xFF) bytes[static_cast<std::size_t>(base)] = 0x01;
    }
    bytes[3 + 9] = static_cast<std::uint8_t>(controllerType);
    dump.append(makeDumpLine(bytes));
  }
  return dump;
}

}  // namespace kq::bench
