#pragma once

#include <CLI/CLI.hpp>

namespace kq::cli {

// Checks for option values, before CLI11 converts them. Their refusals are
// replaced by the option's own message (Command::onMisuse), so they carry none.

// A whole number in decimal digits from `low` to `high`.
CLI::Validator wholeNumber(long long low, long long high);

// Exactly one character.
CLI::Validator oneCharacter();

}  // namespace kq::cli
