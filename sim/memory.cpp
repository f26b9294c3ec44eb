#include "sim/memory.h"

#include <algorithm>
#include <span>

#include "dump/dump_line.h"
#include "sim/drive_profile.h"
#include "sim/record_encoder.h"

namespace kq::sim {

Memory syntheticMemory(int controllerType, int records) {
  Block empty;
  empty.fill(0xFF);
  Memory memory(kBlockCount, empty);
  records = std::clamp(records, 0, kMaxRecords);

  DriveProfile drive;
  for (int i = 0; i < records; ++i) {
    Block& block = memory[static_cast<std::size_t>(i / kRecordsPerBlock)];
    if (i % kRecordsPerBlock == 0) {
      // Bytes before the first record are the device's own; it keeps the block number there.
      const int number = kFirstBlock + i / kRecordsPerBlock;
      block[0] = static_cast<std::uint8_t>(number >> 8);
      block[1] = static_cast<std::uint8_t>(number & 0xFF);
      block[2] = 0x00;
    }
    const auto start = static_cast<std::size_t>(layout::kRecordStart[i % kRecordsPerBlock]);
    // Record 2 is one byte short: the block ends after 127 of its bytes.
    const std::size_t size = std::min(static_cast<std::size_t>(layout::kRecordBytes), kBlockSize - start);
    encodeRecord(std::span<std::uint8_t>(block.data() + start, size), controllerType, i + 1, drive.next());
  }
  return memory;
}

std::vector<std::string> syntheticDumpLines(int controllerType, int records) {
  return memoryDumpLines(syntheticMemory(controllerType, records));
}

Memory memoryFromDump(const Dump& dump) {
  Block empty;
  empty.fill(0xFF);
  Memory memory(kBlockCount, empty);
  const std::size_t lines = std::min(dump.size(), memory.size());
  for (std::size_t j = 0; j < lines; ++j) {
    const std::string& line = dump.line(j);
    for (std::size_t k = 0; k < kBlockSize && 3 * k + 1 < line.size(); ++k) {
      const int high = hexDigitValue(line[3 * k]);
      const int low = hexDigitValue(line[3 * k + 1]);
      if (high >= 0 && low >= 0) memory[j][k] = static_cast<std::uint8_t>(high * 16 + low);
    }
  }
  return memory;
}

std::vector<std::string> memoryDumpLines(const Memory& memory) {
  std::vector<std::string> lines;
  lines.reserve(memory.size());
  for (const Block& block : memory) lines.push_back(makeDumpLine(block));
  return lines;
}

}  // namespace kq::sim
