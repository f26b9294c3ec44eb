#pragma once

#include <array>
#include <cstdint>

#include "dump/block_layout.h"

// The bytes the boot loader's protocol is made of, for the downloader and the
// simulated device alike.
namespace kq::protocol {

inline constexpr std::uint8_t kSyncByte = 0x55;
inline constexpr std::array<std::uint8_t, 3> kSyncAnswer = {0x55, 0x33, 0xCC};
inline constexpr std::uint8_t kLinkConfirmation = 0xAA;
// A request is the code and the block number, high byte first.
inline constexpr std::uint8_t kRequestCode = 0x77;
inline constexpr int kRequestBytes = 3;
inline constexpr int kReplyBytes = layout::kReplyBytes;

inline constexpr std::array<std::uint8_t, kRequestBytes> blockRequest(int block) {
  return {kRequestCode, static_cast<std::uint8_t>(block >> 8), static_cast<std::uint8_t>(block & 0xFF)};
}

}  // namespace kq::protocol
