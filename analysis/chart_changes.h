#pragma once

#include <cstdint>

namespace kq {

// What one change of a chart session touched, so that each view redraws only
// what it shows.
enum class ChartChange : std::uint32_t {
  model = 1u << 0,       // drive A's model: a new dump, channels added, changed or removed
  drives = 1u << 1,      // drives B to D added, removed or analysed anew
  filter = 1u << 2,      // the records each drive keeps
  offsets = 1u << 3,     // the drives' offsets, so their aligned times
  series = 1u << 4,      // a series' parameter, switches or plotted values (which: ChartChanges::series)
  timeAxis = 1u << 5,    // the time axis switched
  markers = 1u << 6,     // marker 1 or 2 set or cleared
  zoom = 1u << 7,        // the x range shown
  cellTable = 1u << 8,   // the cell table's choices
  marked = 1u << 9,      // the records marked from a cell of the table
  gridDrive = 1u << 10,  // whose records the grid shows
};

// A set of changes, with the series they touched.
class ChartChanges {
 public:
  ChartChanges() = default;
  ChartChanges(ChartChange change) : bits_(std::uint32_t(change)) {}  // NOLINT: a change is a set of one

  static ChartChanges all() { return ChartChanges(~0u, kAllSeries); }
  static ChartChanges ofSeries(int series) {
    return ChartChanges(std::uint32_t(ChartChange::series), 1u << series);
  }

  bool empty() const { return bits_ == 0; }
  bool has(ChartChange change) const { return (bits_ & std::uint32_t(change)) != 0; }
  bool hasAny(ChartChanges changes) const { return (bits_ & changes.bits_) != 0; }
  // Whether series i's parameter, switches or values changed.
  bool touchesSeries(int series) const { return has(ChartChange::series) && (series_ >> series & 1u); }

  ChartChanges& operator|=(ChartChanges other) {
    bits_ |= other.bits_;
    series_ |= other.series_;
    return *this;
  }
  friend ChartChanges operator|(ChartChanges a, ChartChanges b) { return a |= b; }
  bool operator==(const ChartChanges&) const = default;

 private:
  static constexpr std::uint32_t kAllSeries = 0x3FFu;
  ChartChanges(std::uint32_t bits, std::uint32_t series) : bits_(bits), series_(series) {}

  std::uint32_t bits_ = 0;
  std::uint32_t series_ = 0;
};

inline ChartChanges operator|(ChartChange a, ChartChange b) { return ChartChanges(a) | ChartChanges(b); }

}  // namespace kq
