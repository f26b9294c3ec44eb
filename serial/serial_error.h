#pragma once

#include <stdexcept>
#include <string>

namespace kq {

// Every failure of the serial channel; what() is the text the user sees.
class SerialChannelError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;

  // FORMAT with "%d" replaced by the error number and "%s" by its text.
  static SerialChannelError withSystemError(const std::string& format, int errorNumber);
  // The same with the system's own text for the error (Windows error codes).
  static SerialChannelError withSystemError(const std::string& format, int errorNumber,
                                            const std::string& text);
};

}  // namespace kq
