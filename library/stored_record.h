#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "dump/dump.h"

namespace kq {

// What the library keeps of a record: its bytes at offsets 0 to 126, which
// both record positions of a line carry (the second ends with the line), so
// that one record read at either position is the same record.
inline constexpr int kStoredRecordBytes = 127;
using StoredRecord = std::array<std::uint8_t, kStoredRecordBytes>;

// A record of a dump as an import sees it.
struct DumpRecord {
  int slot = 0;  // its place in the memory: 2 × line + the record's position (0 or 1)
  StoredRecord bytes{};
  std::string date;  // "DD.MM" and "HH:MM:SS" as the grid shows them
  std::string time;
};

// The records of a dump in the order of the memory, the empty ones (offset 0
// "FF") left out. Throws ConversionError where a record's byte is no hex pair,
// as the export and the chart do.
std::vector<DumpRecord> recordsOfDump(const Dump& dump);

// Records as a dump that every reader takes: two a line, the unread bytes 0 to
// 2 and record 1's offset 127 as 00, an odd last record beside an empty one.
Dump dumpOfRecords(std::span<const StoredRecord> records);

// The date ("DD.MM") and time ("HH:MM:SS") texts of stored bytes, as the
// record's line shows them.
std::string storedRecordDate(const StoredRecord& record);
std::string storedRecordTime(const StoredRecord& record);

}  // namespace kq
