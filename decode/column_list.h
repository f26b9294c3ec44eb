#pragma once

#include <algorithm>
#include <array>
#include <cstddef>

#include "decode/parameter_table.h"

// Compile-time building blocks for tables that extend or vary another: a
// ParameterTable is one contiguous list, so shared columns are joined into
// each table's own array instead of being written out twice.
namespace kq::columns {

template <std::size_t N>
using ColumnList = std::array<ParameterColumn, N>;

template <std::size_t... N>
constexpr auto join(const ColumnList<N>&... parts) {
  ColumnList<(N + ...)> out{};
  std::size_t next = 0;
  ((std::copy(parts.begin(), parts.end(), out.begin() + next), next += N), ...);
  return out;
}

// Columns From to To - 1 of a list (counted from 0).
template <std::size_t From, std::size_t To, std::size_t N>
constexpr auto slice(const ColumnList<N>& list) {
  static_assert(From <= To && To <= N);
  ColumnList<To - From> out{};
  std::copy(list.begin() + From, list.begin() + To, out.begin());
  return out;
}

}  // namespace kq::columns
