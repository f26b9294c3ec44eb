#pragma once

#include <stdexcept>
#include <string>

namespace kq {

// A text that should have been a number was not; what() is the user's message.
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;

  // "'TEXT' is not a valid integer value"
  static ConversionError notInteger(const std::string& text) {
    return ConversionError("'" + text + "' is not a valid integer value");
  }
  // "'TEXT' is not a valid floating point value"
  static ConversionError notFloat(const std::string& text) {
    return ConversionError("'" + text + "' is not a valid floating point value");
  }
};

}  // namespace kq
