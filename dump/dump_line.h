#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kq {

// The text of one block: every byte as two upper-case hex digits, joined by
// single blanks, no blank at either end.
std::string makeDumpLine(std::span<const std::uint8_t> bytes);

// Appends " HH" for every byte (the log form of a byte sequence).
void appendHexTrace(std::string& out, std::span<const std::uint8_t> bytes);

}  // namespace kq
