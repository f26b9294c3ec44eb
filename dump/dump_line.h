#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kq {

// The text of one block: every byte as two upper-case hex digits, joined by
// single blanks, no blank at either end.
std::string makeDumpLine(std::span<const std::uint8_t> bytes);

// The value of a hexadecimal digit of either case, or -1.
constexpr int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Appends " HH" for every byte (the log form of a byte sequence).
void appendHexTrace(std::string& out, std::span<const std::uint8_t> bytes);

}  // namespace kq
