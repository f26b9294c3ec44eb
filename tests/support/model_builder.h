#pragma once

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "analysis/dump_model.h"

// Numeric models for the tests, written as the grid would show them.
namespace kq::test {

// A value as typed in a test with a comma or a point; "" for no value.
inline long double valueOf(std::string text) {
  if (text.empty()) return std::numeric_limits<long double>::quiet_NaN();
  std::replace(text.begin(), text.end(), ',', '.');
  return shownValue(std::strtold(text.c_str(), nullptr));
}

// Columns titled "A", "B", … of the given values (all as long as the first);
// records dated 15.03, 12:34:56, numbered from 0.
inline DumpModel modelOf(const std::vector<std::vector<std::string>>& columns, char separator = ',',
                         const std::vector<std::string>& titles = {}) {
  DumpModel model(separator);
  model.setControllerType(6);
  for (std::size_t c = 0; c < columns.size(); ++c)
    model.addColumn(c < titles.size() ? titles[c] : std::string(1, char('A' + c)));
  const std::size_t records = columns.empty() ? 0 : columns[0].size();
  std::vector<long double> values(columns.size());
  for (std::size_t r = 0; r < records; ++r) {
    for (std::size_t c = 0; c < columns.size(); ++c) values[c] = valueOf(columns[c][r]);
    model.appendRecord("15.03", "12:34:56", static_cast<long double>(r), values);
  }
  return model;
}

}  // namespace kq::test
