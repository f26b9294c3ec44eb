#include "cli/option_checks.h"

#include <charconv>
#include <string>

namespace kq::cli {

CLI::Validator wholeNumber(long long low, long long high) {
  return CLI::Validator(
      [low, high](std::string& text) -> std::string {
        long long value = 0;
        const char* end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(text.data(), end, value);
        if (error != std::errc() || stop != end || value < low || value > high) return "out of range";
        return {};
      },
      "");
}

CLI::Validator oneCharacter() {
  return CLI::Validator([](std::string& text) -> std::string { return text.size() == 1 ? "" : "not one"; },
                        "");
}

}  // namespace kq::cli
