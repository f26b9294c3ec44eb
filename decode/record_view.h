#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "dump/block_layout.h"
#include "dump/dump.h"

namespace kq {

// One of the two logged records of a dump line, read by fixed character
// positions. Record 1 starts at line byte 3, record 2 at line byte 131; record
// offset r of a record starting at byte k is the character pair at 3(k + r).
// Every read but the empty-record test throws ConversionError when a pair is
// not two hex digits (or lies past the end of the line): the date and time
// are copied as text, yet a control byte there is no date either.
class RecordView {
 public:
  static constexpr int kFirstByteOfRecord1 = layout::kRecordStart[0];
  static constexpr int kFirstByteOfRecord2 = layout::kRecordStart[1];

  // record: 1 or 2.
  RecordView(std::string_view line, int record)
      : line_(line), base_(3 * (record == 1 ? kFirstByteOfRecord1 : kFirstByteOfRecord2)) {}

  // Unsigned byte 0..255.
  int B(int offset) const;
  // Signed byte -128..127.
  int S(int offset) const { return static_cast<signed char>(static_cast<unsigned char>(B(offset))); }
  // 256 * B(high) + B(low), 0..65535.
  int W(int high, int low) const { return 256 * B(high) + B(low); }
  // W read as two's complement, -32768..32767.
  int SW(int high, int low) const { return static_cast<short>(static_cast<unsigned short>(W(high, low))); }

  // The two characters at an offset as text (empty past the end of the line).
  std::string_view pair(int offset) const;
  // The same, checked to be two hex digits of either case.
  std::string_view hexPair(int offset) const;

  // "DD.DD" from offsets 1 and 0, copied as text once checked.
  std::string date() const;
  // "HH:HH:HH" from offsets 4, 3, 2, copied as text once checked.
  std::string time() const;
  // W(8,7) - 512.
  int recordNumber() const { return W(8, 7) - 512; }
  // Offset 0 reads exactly "FF".
  bool isEmpty() const { return pair(0) == "FF"; }

 private:
  std::string_view line_;
  std::size_t base_;
};

// Reads a character pair as a hexadecimal byte (either case), or throws the
// conversion error with "$" followed by the characters taken.
int parseHexPair(std::string_view pair);

// Offset 9 of record 1 of the first line. Throws ConversionError ("'$'") for
// an empty dump.
int readControllerType(const Dump& dump);

}  // namespace kq
