#include "decode/conversion_error.h"

namespace kq {

std::string readableBytes(std::string_view bytes) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      out += c;
    } else {
      out += "\\x";
      out += kHexDigits[byte >> 4];
      out += kHexDigits[byte & 0x0F];
    }
  }
  return out;
}

namespace {
std::string quoted(std::string_view text, std::string_view rest) {
  std::string message = "'";
  message += readableBytes(text);
  message += '\'';
  message += rest;
  return message;
}
}  // namespace

ConversionError ConversionError::notInteger(std::string_view text) {
  return ConversionError(quoted(text, " is not a valid integer value"));
}

ConversionError ConversionError::notFloat(std::string_view text) {
  return ConversionError(quoted(text, " is not a valid floating point value"));
}

}  // namespace kq
