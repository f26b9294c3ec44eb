#pragma once

#include <charconv>
#include <optional>
#include <string_view>

namespace kq::cli {

// An option's whole number from `low` to `high`, or nothing for any other text.
inline std::optional<int> wholeNumber(std::string_view text, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return std::nullopt;
  return value;
}

}  // namespace kq::cli
