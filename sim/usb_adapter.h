#pragma once

#include <chrono>
#include <cstddef>
#include <span>
#include <vector>

namespace kq::sim {

// A USB serial adapter between the line and the host: it collects the bytes
// that crossed the wire in a packet and hands the packet over when it is full
// or when its latency timer, started by the packet's first byte, runs out.
struct HandOver {
  std::chrono::steady_clock::time_point at;
  std::size_t bytes;
};

// The hand-overs for bytes that finished crossing the wire at `crossed`
// (in order); every byte is handed over in exactly one of them, never before
// it crossed.
std::vector<HandOver> usbHandOvers(std::span<const std::chrono::steady_clock::time_point> crossed,
                                   std::size_t packetBytes, std::chrono::steady_clock::duration latency);

}  // namespace kq::sim
