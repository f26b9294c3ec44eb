#include "decode/record_view.h"

#include "decode/conversion_error.h"
#include "dump/dump_line.h"

namespace kq {

int parseHexPair(std::string_view pair) {
  if (pair.size() == 2) {
    int high = hexDigitValue(pair[0]);
    int low = hexDigitValue(pair[1]);
    if (high >= 0 && low >= 0) return high * 16 + low;
  }
  throw ConversionError::notInteger("$" + std::string(pair));
}

std::string_view RecordView::pair(int offset) const {
  std::size_t start = base_ + 3 * static_cast<std::size_t>(offset);
  if (start >= line_.size()) return {};
  return line_.substr(start, 2);
}

std::string_view RecordView::hexPair(int offset) const {
  const std::string_view text = pair(offset);
  parseHexPair(text);  // the same check and message as a number field
  return text;
}

int RecordView::B(int offset) const { return parseHexPair(pair(offset)); }

std::string RecordView::date() const {
  std::string out(hexPair(1));
  out += '.';
  out += hexPair(0);
  return out;
}

std::string RecordView::time() const {
  std::string out(hexPair(4));
  out += ':';
  out += hexPair(3);
  out += ':';
  out += hexPair(2);
  return out;
}

int readControllerType(const Dump& dump) {
  if (dump.empty()) throw ConversionError::notInteger("$");
  return RecordView(dump.line(0), 1).B(9);
}

}  // namespace kq
