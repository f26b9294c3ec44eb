#pragma once

#include <string>

#include "decode/number_text.h"

namespace kq::test {

// A value's number text, for comparing with what the program prints.
inline std::string formatNumber(long double value, char decimalSeparator) {
  std::string out;
  appendNumber(out, value, decimalSeparator);
  return out;
}

}  // namespace kq::test
