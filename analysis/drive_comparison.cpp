#include "analysis/drive_comparison.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "analysis/expression.h"
#include "analysis/record_time.h"

namespace kq {

std::vector<double> recordMoments(const DumpModel& model) {
  const int count = model.recordCount();
  std::vector<double> moments(count);
  int first = 0;
  std::optional<long> start;
  for (; first < count && !start; ++first) start = secondsIntoYear(model.date(first), model.time(first));
  if (!start) {
    for (int p = 0; p < count; ++p) moments[p] = p;
    return moments;
  }
  --first;
  const std::string_view date = model.date(first), time = model.time(first);
  double last = double(*start);
  for (int p = 0; p < count; ++p) {
    if (p > first)
      if (auto seconds = secondsBetween(date, time, model.date(p), model.time(p)))
        last = double(*start + *seconds);
    moments[p] = last;
  }
  return moments;
}

void DriveComparison::addDrive(const DumpModel& model) {
  drives_.push_back({&model, recordMoments(model), 0});
  drives_.back().offset = startOffset(driveCount() - 1);
}

std::string DriveComparison::driveName(int drive) { return std::string(1, char('A' + drive)); }

void DriveComparison::setOffset(int drive, double seconds) { drives_[drive].offset = seconds; }

double DriveComparison::startOffset(int drive) const {
  const auto& reference = drives_[0].moments;
  const auto& own = drives_[drive].moments;
  if (reference.empty() || own.empty()) return 0;
  return reference[0] - own[0];
}

double DriveComparison::alignedTime(int drive, int position) const {
  const double origin = drives_[0].moments.empty() ? 0 : drives_[0].moments[0];
  return drives_[drive].moments[position] + drives_[drive].offset - origin;
}

std::vector<double> DriveComparison::alignedTimes(int drive) const {
  std::vector<double> times(drives_[drive].moments.size());
  for (std::size_t p = 0; p < times.size(); ++p) times[p] = alignedTime(drive, int(p));
  return times;
}

double draggedOffset(double offset, double moved, double resolution) {
  const double seconds = offset + moved;
  if (!(resolution > 0) || !std::isfinite(resolution)) return seconds;
  const int exponent = int(std::floor(std::log10(resolution)));
  // Dividing by a power of ten, not multiplying by its inexact inverse, gives 13.3 rather than 13.299….
  if (exponent < 0) {
    const double scale = std::pow(10.0, -exponent);
    return std::round(seconds * scale) / scale;
  }
  const double step = std::pow(10.0, exponent);
  return std::round(seconds / step) * step;
}

EventAlignment alignOnEvent(const DriveComparison& drives, std::string_view expression) {
  EventAlignment alignment;
  for (int d = 0; d < drives.driveCount(); ++d) {
    const DumpModel& model = drives.model(d);
    std::vector<char> holds;
    try {
      holds = Expression(expression, model).keep(model);
    } catch (const ExpressionError& error) {
      throw std::runtime_error("запись " + DriveComparison::driveName(d) + ": " + error.what());
    }
    auto first = std::find(holds.begin(), holds.end(), char(1));
    alignment.matches.push_back(first == holds.end() ? std::nullopt
                                                     : std::optional(int(first - holds.begin())));
  }
  const auto& reference = alignment.matches.empty() ? std::nullopt : alignment.matches[0];
  for (int d = 0; d < drives.driveCount(); ++d) {
    const auto& match = alignment.matches[d];
    alignment.offsets.push_back(reference && match ? drives.moments(0)[*reference] - drives.moments(d)[*match]
                                                   : drives.startOffset(d));
  }
  return alignment;
}

std::vector<char> recordsBetween(const DriveComparison& drives, int drive, double from, double to,
                                 RecordSelection kept) {
  const int count = drives.model(drive).recordCount();
  std::vector<char> selected(count);
  for (int p = 0; p < count; ++p) {
    const double t = drives.alignedTime(drive, p);
    selected[p] = t >= from && t <= to && (kept.empty() || (std::size_t(p) < kept.size() && kept[p]));
  }
  return selected;
}

std::vector<std::string> missingTitles(const DumpModel& reference, const DumpModel& drive) {
  std::vector<std::string> missing;
  for (const std::string& title : reference.titles())
    if (!columnOfTitle(drive, title)) missing.push_back(title);
  return missing;
}

}  // namespace kq
