#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dump/block_layout.h"
#include "dump/dump.h"

namespace kq::sim {

using layout::kBlockCount;
using layout::kFirstBlock;
using layout::kLastBlock;
constexpr std::size_t kBlockSize = layout::kLineBytes;
constexpr int kRecordsPerBlock = layout::kRecordsPerLine;
constexpr int kMaxRecords = kBlockCount * kRecordsPerBlock;

using Block = std::array<std::uint8_t, kBlockSize>;
// The device's log memory: element j is block kFirstBlock + j; always kBlockCount blocks.
using Memory = std::vector<Block>;

// A log memory of `records` records (at most kMaxRecords) written by a
// controller of the given type (1 to 7; other values are stored as they are),
// a drive of several trips with smoothly changing readings; 0xFF after the
// last record.
Memory syntheticMemory(int controllerType, int records);

// The same memory as dump lines, one per block.
std::vector<std::string> syntheticDumpLines(int controllerType, int records);

// A memory holding a dump's lines: the hex values of each line by position,
// short or missing lines filled with 0xFF.
Memory memoryFromDump(const Dump& dump);

std::vector<std::string> memoryDumpLines(const Memory& memory);

}  // namespace kq::sim
