#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace kq {

// Bytes from a file as a message shows them: printable ASCII as it is, every
// other byte and the backslash as \xNN (upper-case hex), so that a NUL cannot
// cut the message and a file in another code page cannot garble it.
std::string readableBytes(std::string_view bytes);

// A text that should have been a number was not; what() is the user's message.
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;

  // "'TEXT' is not a valid integer value", TEXT made readable.
  static ConversionError notInteger(std::string_view text);
  // "'TEXT' is not a valid floating point value", TEXT made readable.
  static ConversionError notFloat(std::string_view text);
};

}  // namespace kq
