#include "dump/dump_line.h"

namespace kq {
namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";
}

std::string makeDumpLine(std::span<const std::uint8_t> bytes) {
  std::string line;
  if (bytes.empty()) return line;
  line.reserve(bytes.size() * 3 - 1);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i != 0) line.push_back(' ');
    line.push_back(kHexDigits[bytes[i] >> 4]);
    line.push_back(kHexDigits[bytes[i] & 0x0F]);
  }
  return line;
}

void appendHexTrace(std::string& out, std::span<const std::uint8_t> bytes) {
  out.reserve(out.size() + bytes.size() * 3);
  for (std::uint8_t b : bytes) {
    out.push_back(' ');
    out.push_back(kHexDigits[b >> 4]);
    out.push_back(kHexDigits[b & 0x0F]);
  }
}

}  // namespace kq
