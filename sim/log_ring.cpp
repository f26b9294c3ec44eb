#include "sim/log_ring.h"

#include <algorithm>
#include <span>

#include "sim/record_encoder.h"

namespace kq::sim {

LogRing::LogRing(int controllerType) : controllerType_(controllerType) {
  Block empty;
  empty.fill(0xFF);
  memory_.assign(kBlockCount, empty);
  for (int j = 0; j < kBlockCount; ++j) {
    // The device keeps the block number before the first record.
    memory_[std::size_t(j)][0] = std::uint8_t((kFirstBlock + j) >> 8);
    memory_[std::size_t(j)][1] = std::uint8_t((kFirstBlock + j) & 0xFF);
    memory_[std::size_t(j)][2] = 0;
  }
}

void LogRing::write(int records) {
  for (int i = 0; i < records; ++i, ++written_) {
    const int place = written_ % kMaxRecords;
    Block& block = memory_[std::size_t(place / kRecordsPerBlock)];
    const auto start = std::size_t(layout::kRecordStart[place % kRecordsPerBlock]);
    const std::size_t size = std::min(std::size_t(layout::kRecordBytes), kBlockSize - start);
    encodeRecord(std::span<std::uint8_t>(block.data() + start, size), controllerType_, written_ + 1,
                 drive_.next());
  }
}

Dump LogRing::download() const { return Dump(memoryDumpLines(memory_)); }

}  // namespace kq::sim
