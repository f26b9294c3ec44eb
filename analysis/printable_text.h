#pragma once

#include <string>
#include <string_view>

namespace kq {

// The text with each control character shown as "�", for quoting what a user
// typed in a message: a NUL would cut the message short, a line break split it.
inline std::string printableText(std::string_view text) {
  std::string shown;
  for (const char c : text) shown += c >= 0 && c < ' ' ? std::string_view("\uFFFD") : std::string_view(&c, 1);
  return shown;
}

}  // namespace kq
