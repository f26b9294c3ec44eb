#include "sim/usb_adapter.h"

#include <algorithm>

namespace kq::sim {

std::vector<HandOver> usbHandOvers(std::span<const std::chrono::steady_clock::time_point> crossed,
                                   std::size_t packetBytes, std::chrono::steady_clock::duration latency) {
  std::vector<HandOver> handOvers;
  packetBytes = std::max<std::size_t>(packetBytes, 1);
  for (std::size_t first = 0; first < crossed.size();) {
    const auto deadline = crossed[first] + latency;
    std::size_t end = first + 1;
    while (end < crossed.size() && end - first < packetBytes && crossed[end] <= deadline) ++end;
    const bool full = end - first == packetBytes;
    handOvers.push_back({full ? crossed[end - 1] : deadline, end - first});
    first = end;
  }
  return handOvers;
}

}  // namespace kq::sim
