#pragma once

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "sim/pseudo_terminal.h"
#include "tests/serial/loop_fixture.h"

namespace kq::test {

using namespace std::chrono_literals;

// The far end of the line: the other side of a pseudo-terminal.
class Peer {
 public:
  const std::string& path() const { return terminal_.devicePath(); }
  void hangUp() { terminal_.hangUp(); }

  void write(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(terminal_.fd(), bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else {
        pollfd fd{terminal_.fd(), POLLOUT, 0};
        ::poll(&fd, 1, 100);
      }
    }
  }

  // Reads until `count` bytes came or the generous limit passed.
  std::vector<std::uint8_t> read(std::size_t count, std::chrono::seconds limit = 20s) {
    std::vector<std::uint8_t> bytes;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (bytes.size() < count && std::chrono::steady_clock::now() < end) {
      pollfd fd{terminal_.fd(), POLLIN, 0};
      if (::poll(&fd, 1, 50) <= 0) continue;
      std::uint8_t buffer[4096];
      const ssize_t n = ::read(terminal_.fd(), buffer, std::min(sizeof buffer, count - bytes.size()));
      if (n > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
  }

 private:
  sim::PseudoTerminal terminal_;
};

}  // namespace kq::test
