#include "serial/serial_error.h"

#include "base/file_error.h"

namespace kq {

SerialError SerialError::withSystemError(const std::string& format, int errorNumber) {
  return withSystemError(format, errorNumber, systemErrorText(errorNumber));
}

SerialError SerialError::withSystemError(const std::string& format, int errorNumber,
                                         const std::string& errorText) {
  std::string text;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && (format[i + 1] == 'd' || format[i + 1] == 's')) {
      text += format[i + 1] == 'd' ? std::to_string(errorNumber) : errorText;
      ++i;
    } else {
      text.push_back(format[i]);
    }
  }
  return SerialError(text);
}

}  // namespace kq
