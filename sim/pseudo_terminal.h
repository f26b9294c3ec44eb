#pragma once

#include <string>

namespace kq::sim {

// The device's side of a pseudo-terminal. The other side, devicePath(), is
// what a serial program opens. The device keeps that side open itself too, in
// raw mode, so that programs may come and go without the line hanging up.
class PseudoTerminal {
 public:
  PseudoTerminal();  // throws std::system_error
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  const std::string& devicePath() const { return devicePath_; }
  // Non-blocking; -1 after hangUp().
  int fd() const { return master_; }
  // Closes both sides: the program on the other side sees the line drop.
  void hangUp();

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string devicePath_;
};

}  // namespace kq::sim
