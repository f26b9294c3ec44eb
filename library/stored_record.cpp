#include "library/stored_record.h"

#include "decode/record_view.h"
#include "dump/block_layout.h"
#include "dump/dump_line.h"

namespace kq {
namespace {
std::string pairText(std::uint8_t byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[byte >> 4], kDigits[byte & 0xF]};
}
}  // namespace

std::vector<DumpRecord> recordsOfDump(const Dump& dump) {
  std::vector<DumpRecord> records;
  records.reserve(dump.size() * layout::kRecordsPerLine);
  for (std::size_t line = 0; line < dump.size(); ++line) {
    for (int position = 0; position < layout::kRecordsPerLine; ++position) {
      const RecordView view(dump.line(line), position + 1);
      if (view.isEmpty()) continue;
      DumpRecord record;
      record.slot = int(line) * layout::kRecordsPerLine + position;
      for (int offset = 0; offset < kStoredRecordBytes; ++offset)
        record.bytes[offset] = std::uint8_t(view.B(offset));
      record.date = view.date();
      record.time = view.time();
      records.push_back(std::move(record));
    }
  }
  return records;
}

Dump dumpOfRecords(std::span<const StoredRecord> records) {
  Dump dump;
  std::vector<std::uint8_t> bytes(layout::kLineBytes);
  for (std::size_t i = 0; i < records.size(); i += layout::kRecordsPerLine) {
    std::fill(bytes.begin(), bytes.end(), 0);
    for (int position = 0; position < layout::kRecordsPerLine; ++position) {
      std::uint8_t* start = bytes.data() + layout::kRecordStart[position];
      if (i + position < records.size()) {
        std::copy(records[i + position].begin(), records[i + position].end(), start);
      } else {
        std::fill(start, bytes.data() + bytes.size(), 0xFF);  // an empty record
      }
    }
    dump.append(makeDumpLine(bytes));
  }
  return dump;
}

std::string storedRecordDate(const StoredRecord& record) {
  return pairText(record[1]) + "." + pairText(record[0]);
}

std::string storedRecordTime(const StoredRecord& record) {
  return pairText(record[4]) + ":" + pairText(record[3]) + ":" + pairText(record[2]);
}

}  // namespace kq
