#pragma once

#include <cstddef>
#include <string>

// Where things lie in the device's log memory and in a dump: the blocks a
// download asks for, the reply that carries one block, the line it becomes and
// the two records a line holds.
namespace kq::layout {

inline constexpr int kFirstBlock = 0x0100;
inline constexpr int kLastBlock = 0x0FFF;
inline constexpr int kBlockCount = kLastBlock - kFirstBlock + 1;  // 3840

// A block reply is one leading byte and the block's bytes, which make the line.
inline constexpr int kReplyBytes = 259;
inline constexpr int kLineBytes = kReplyBytes - 1;  // 258
// Two hex digits a byte, single blanks between.
inline constexpr std::size_t kLineChars = 3 * kLineBytes - 1;  // 773
// A saved line ends with CR LF.
inline constexpr std::size_t kFullDumpFileBytes = static_cast<std::size_t>(kBlockCount) * (kLineChars + 2);

// Records start at these line bytes; record offset r is line byte start + r.
inline constexpr int kRecordsPerLine = 2;
inline constexpr int kRecordBytes = 128;
inline constexpr int kRecordStart[kRecordsPerLine] = {3, 3 + kRecordBytes};

// A block's number as the boot loader is asked for it: four hex digits, "01A0".
inline std::string blockNumberText(int block) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(4, '0');
  for (int i = 3; i >= 0; --i, block >>= 4) text[std::size_t(i)] = kDigits[block & 0xF];
  return text;
}

}  // namespace kq::layout
