#pragma once

#include <stdexcept>
#include <string>

namespace kq {

// Every failure of the serial line; what() is the text the user sees.
class SerialError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;

  // FORMAT with "%d" replaced by the error number and "%s" by its text.
  static SerialError withSystemError(const std::string& format, int errorNumber);
  // The same with the system's own text for the error (Windows error codes).
  static SerialError withSystemError(const std::string& format, int errorNumber, const std::string& text);
};

}  // namespace kq
