#pragma once

namespace kq {

// The chart's series, and the drives it compares at most.
inline constexpr int kSeriesCount = 10;
inline constexpr int kMaxDrives = 4;
// The parameter items the series start on: the fourth title for the first
// series, the second to tenth for the others.
inline constexpr int kInitialItems[kSeriesCount] = {3, 1, 2, 3, 4, 5, 6, 7, 8, 9};

}  // namespace kq
