#include "analysis/chart_session.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "base/utf8_path.h"

namespace kq {
namespace {
std::string fileNameOf(const std::string& path) { return utf8Text(utf8Path(path).filename()); }

bool isBlank(const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }

bool hasTitle(const DumpModel& model, const std::string& title) {
  return !title.empty() && columnOfTitle(model, title).has_value();
}

// A choice of the cell table kept where the titles have it, else item `initial`.
void keepWithin(std::string& title, const DumpModel& model, int initial) {
  if (hasTitle(model, title)) return;
  const auto& titles = model.titles();
  title = titles.empty() ? std::string() : titles[std::min<std::size_t>(initial, titles.size() - 1)];
}
}  // namespace

ChartSession::ChartSession() { rebuildComparison({}); }

ChartSession::Batch::Batch(ChartSession& session) : session_(session) { ++session_.batchDepth_; }

ChartSession::Batch::~Batch() {
  if (--session_.batchDepth_ > 0 || session_.pending_.empty()) return;
  const ChartChanges changes = session_.pending_;
  session_.pending_ = {};
  // By index, each called through a copy: an observer may end one while it is called.
  for (std::size_t k = 0; k < session_.observers_.size(); ++k)
    if (const Observer observer = session_.observers_[k].second) observer(changes);
}

ChartSession::Subscription ChartSession::observe(Observer observer) {
  observers_.emplace_back(++lastObserver_, std::move(observer));
  return Subscription(this, lastObserver_);
}

ChartSession::Subscription& ChartSession::Subscription::operator=(Subscription&& other) noexcept {
  if (this != &other) {
    this->~Subscription();
    session_ = std::exchange(other.session_, nullptr);
    id_ = other.id_;
  }
  return *this;
}

ChartSession::Subscription::~Subscription() {
  if (!session_) return;
  for (auto& [id, observer] : session_->observers_)
    if (id == id_) observer = nullptr;
}

void ChartSession::changed(ChartChanges changes) {
  if (changes.empty()) return;
  Batch batch(*this);
  pending_ |= changes;
}

// ---- drive A ----

void ChartSession::prepare(const Dump& dump, char decimalSeparator, const std::string& path) {
  if (dump.empty()) return;
  ChartDrive drive;
  drive.path = path;
  drive.model = buildDumpModel(dump, decimalSeparator);
  prepareDrive(std::move(drive));
}

void ChartSession::prepareDrive(ChartDrive drive) {
  channels_ = applyAnalysis(drive, channels_, filter_);
  problemsOfA_ = drive.problems;
  *drives_[0] = std::move(drive);
  analyseCompared();
  rebuildComparison({});  // every drive starts with the new A again

  const DumpModel& a = model();
  for (int i = 0; i < kSeriesCount; ++i) {
    const int item = kInitialItems[i];
    series_[i].parameter = item < a.decodedCount() ? a.titles()[item] : std::string();
    series_[i].item = item < a.decodedCount() ? item : -1;
    series_[i].rightAxis = false;
  }
  keepChoicesWithinTitles();
  markers_ = {};
  marked_.clear();
  markedDrive_ = 0;
  zoom_.reset();
  changed(ChartChanges::all() | fillAll());
}

void ChartSession::openDrives(std::vector<ChartDrive> drives, std::vector<ChannelDefinition> channels,
                              std::string filter, const std::vector<double>& offsets) {
  if (drives.empty()) return;
  Batch batch(*this);
  channels_ = std::move(channels);
  filter_ = std::move(filter);
  drives_.resize(1);
  for (std::size_t d = 1; d < drives.size() && d < std::size_t(kMaxDrives); ++d)
    drives_.push_back(std::make_unique<ChartDrive>(std::move(drives[d])));
  gridDrive_ = 0;
  cellTable_.drive = 0;
  cellTable_.difference = false;
  prepareDrive(std::move(drives[0]));
  for (int d = 1; d < driveCount() && d < int(offsets.size()); ++d) setOffset(d, offsets[d]);
}

void ChartSession::keepChoicesWithinTitles() {
  const DumpModel& a = model();
  keepWithin(cellTable_.x, a, 0);
  keepWithin(cellTable_.y, a, 1);
  keepWithin(cellTable_.z, a, 2);
}

// ---- channels ----

std::string ChartSession::setChannels(std::vector<ChannelDefinition> channels) {
  DumpModel model = this->model();
  model.removeAllDerived();
  std::vector<char> kept;
  try {
    addChannels(model, channels);
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  try {
    kept = filterRecords(model, filter_);
  } catch (const ExpressionError& error) {
    return std::string("фильтр: ") + error.what();
  }
  ChartDrive& a = *drives_[0];
  a.model = std::move(model);
  a.kept = std::move(kept);
  channels_ = std::move(channels);
  analyseCompared();
  // A series on a channel that moved or went shows nothing.
  ChartChanges changes =
      ChartChange::model | ChartChange::drives | ChartChange::filter | ChartChange::cellTable;
  for (int i = 0; i < kSeriesCount; ++i)
    if (!hasTitle(a.model, series_[i].parameter) && !series_[i].parameter.empty()) {
      series_[i].parameter.clear();
      series_[i].item = -1;
      changes |= ChartChanges::ofSeries(i);
    }
  keepChoicesWithinTitles();
  changed(changes | fillAll());
  return {};
}

std::string ChartSession::addChannel(const std::string& name, const std::string& formula) {
  std::vector<ChannelDefinition> channels = channels_;
  channels.push_back({name, formula});
  return setChannels(std::move(channels));
}

std::string ChartSession::changeChannel(int index, const std::string& name, const std::string& formula) {
  std::vector<ChannelDefinition> channels = channels_;
  channels.at(std::size_t(index)) = {name, formula};
  return setChannels(std::move(channels));
}

std::string ChartSession::removeChannel(int index) {
  std::vector<ChannelDefinition> channels = channels_;
  channels.erase(channels.begin() + index);
  return setChannels(std::move(channels));
}

// ---- filter ----

std::string ChartSession::setFilter(const std::string& text) {
  std::vector<char> kept;
  try {
    kept = filterRecords(model(), text);
  } catch (const ExpressionError& error) {
    return error.what();
  }
  filter_ = isBlank(text) ? std::string() : text;
  drives_[0]->kept = std::move(kept);
  problemsOfA_ = {};
  analyseCompared();
  marked_.clear();
  changed(ChartChange::filter | ChartChange::drives | ChartChange::marked | fillAll());
  return {};
}

// ---- drives compared ----

void ChartSession::analyseCompared() {
  for (std::size_t d = 1; d < drives_.size(); ++d) applyAnalysis(*drives_[d], channels_, filter_);
}

std::vector<double> ChartSession::offsets() const {
  std::vector<double> offsets;
  for (int d = 0; d < comparison_.driveCount(); ++d) offsets.push_back(comparison_.offset(d));
  return offsets;
}

void ChartSession::rebuildComparison(const std::vector<double>& offsets) {
  comparison_ = DriveComparison();
  times_.clear();
  for (std::size_t d = 0; d < drives_.size(); ++d) {
    comparison_.addDrive(drives_[d]->model);
    if (d > 0 && d < offsets.size()) comparison_.setOffset(int(d), offsets[d]);
    times_.push_back(comparison_.alignedTimes(int(d)));
  }
}

std::string ChartSession::addDrive(const std::string& path) {
  if (!hasRecords()) return "Нет записи, с которой сравнивать.";
  if (driveCount() >= kMaxDrives) return "Сравниваются не больше четырёх записей.";
  ChartDrive drive;
  try {
    drive = loadChartDrive(path, model().decimalSeparator());
  } catch (const std::exception& error) {
    return "Файл «" + fileNameOf(path) + "»: " + error.what();
  }
  if (drive.model.recordCount() == 0) return "В файле «" + fileNameOf(path) + "» нет записей.";
  drive.path = utf8Text(std::filesystem::absolute(utf8Path(path)).lexically_normal());
  return addDrive(std::move(drive));
}

std::string ChartSession::addDrive(ChartDrive drive) {
  if (!hasRecords()) return "Нет записи, с которой сравнивать.";
  if (driveCount() >= kMaxDrives) return "Сравниваются не больше четырёх записей.";
  if (drive.model.recordCount() == 0) return "В записи «" + drive.label + "» нет записей.";
  applyAnalysis(drive, channels_, filter_);
  drives_.push_back(std::make_unique<ChartDrive>(std::move(drive)));
  rebuildComparison(offsets());
  ChartChanges changes = ChartChange::drives | ChartChange::offsets;
  if (cellTable_.difference) {  // the table's choices are by drive count: back to A
    cellTable_.drive = 0;
    cellTable_.difference = false;
    changes |= ChartChange::cellTable;
  }
  changed(changes | fillAll());
  return {};
}

void ChartSession::removeDrive(int drive) {
  if (drive < 1 || drive >= driveCount()) return;
  std::vector<double> kept = offsets();
  kept.erase(kept.begin() + drive);
  drives_.erase(drives_.begin() + drive);
  rebuildComparison(kept);
  if (gridDrive_ >= driveCount()) gridDrive_ = 0;
  if (markedDrive_ >= drive) {  // its records are gone or another drive's now
    marked_.clear();
    markedDrive_ = 0;
  }
  if (cellTable_.difference || cellTable_.drive >= driveCount()) {
    cellTable_.drive = 0;
    cellTable_.difference = false;
  }
  markers_ = {};
  zoom_.reset();
  changed(ChartChange::drives | ChartChange::offsets | ChartChange::markers | ChartChange::zoom |
          ChartChange::marked | ChartChange::gridDrive | ChartChange::cellTable | fillAll());
}

void ChartSession::setOffset(int drive, double seconds) {
  if (drive < 1 || drive >= driveCount() || !std::isfinite(seconds)) return;
  comparison_.setOffset(drive, seconds);
  times_[drive] = comparison_.alignedTimes(drive);
  changed(ChartChange::offsets);
}

std::string ChartSession::alignOnEvent(const std::string& expression) {
  EventAlignment alignment;
  try {
    alignment = kq::alignOnEvent(comparison_, expression);
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  for (int d = 1; d < driveCount(); ++d) {
    comparison_.setOffset(d, alignment.offsets[d]);
    times_[d] = comparison_.alignedTimes(d);
  }
  std::string note;
  if (!alignment.matches[0]) {
    note = "В записи A условие не выполняется ни разу: записи выровнены по началу.";
  } else {
    for (int d = 1; d < driveCount(); ++d)
      if (!alignment.matches[d])
        note += (note.empty() ? "" : " ") + std::string("В записи ") + DriveComparison::driveName(d) +
                " условие не выполняется ни разу: она выровнена по началу.";
  }
  zoom_.reset();
  changed(ChartChange::offsets | ChartChange::zoom);
  return note;
}

std::vector<std::string> ChartSession::missingTitles(int drive) const {
  return kq::missingTitles(model(), driveModel(drive));
}

// ---- series ----

std::optional<int> ChartSession::seriesColumn(int i, int drive) const {
  const SeriesChoice& choice = series_[i];
  if (choice.parameter.empty()) return std::nullopt;
  const DumpModel& model = driveModel(drive);
  const int hinted = kFrameColumns + choice.item;
  if (drive == 0 && choice.item >= 0 && hinted < model.columnCount() &&
      model.title(hinted) == choice.parameter)
    return hinted;
  return columnOfTitle(model, choice.parameter);
}

ChartChanges ChartSession::fill(int i) {
  PlottedSeries& plotted = plotted_[i];
  const std::optional<int> column = seriesColumn(i, 0);
  if (!column) {
    plotted = {};
  } else {
    plotted.column = *column;
    plotted.filled = series_[i].shown;
    if (plotted.filled) plotted.title = series_[i].parameter;
  }
  return ChartChanges::ofSeries(i);
}

ChartChanges ChartSession::fillAll() {
  ChartChanges changes;
  for (int i = 0; i < kSeriesCount; ++i) changes |= fill(i);
  return changes;
}

SeriesSource ChartSession::seriesSource(int i) const {
  const PlottedSeries& plotted = plotted_[i];
  return {series_[i].shown, plotted.column, plotted.filled ? model().recordCount() : 0};
}

std::array<SeriesSource, kSeriesCount> ChartSession::seriesSources() const {
  std::array<SeriesSource, kSeriesCount> sources;
  for (int i = 0; i < kSeriesCount; ++i) sources[i] = seriesSource(i);
  return sources;
}

void ChartSession::setSeriesParameter(int i, const std::string& title, int item) {
  series_[i].parameter = title;
  series_[i].item = item;
  changed(fill(i));
}

void ChartSession::setSeriesShown(int i, bool shown) {
  if (series_[i].shown == shown) return;
  series_[i].shown = shown;
  changed(ChartChanges::ofSeries(i));
}

void ChartSession::setSeriesOnRightAxis(int i, bool right) {
  if (series_[i].rightAxis == right) return;
  series_[i].rightAxis = right;
  changed(ChartChanges::ofSeries(i));
}

void ChartSession::setAllSeries(const std::array<SeriesChoice, kSeriesCount>& series) {
  series_ = series;
  ChartChanges changes = fillAll();
  for (int i = 0; i < kSeriesCount; ++i)
    if (plotted_[i].column >= 0) plotted_[i].title = series_[i].parameter;
  changed(changes);
}

void ChartSession::setTimeAxis(bool on) {
  if (timeAxis_ == on) return;
  timeAxis_ = on;
  changed(ChartChange::timeAxis);
}

// ---- markers, zoom, table, marks, grid ----

void ChartSession::setMarker(int m, double x) {
  const int last = model().recordCount() - 1;
  if (last < 0 || std::isnan(x)) return;
  if (driveCount() < 2) {
    markers_[m] = double(std::lround(std::clamp(x, -1.0, double(last) + 1)));
    markers_[m] = std::clamp(*markers_[m], 0.0, double(last));
  } else {
    double first = std::numeric_limits<double>::infinity(), end = -first;
    for (const std::vector<double>& times : times_) {
      if (times.empty()) continue;
      first = std::min(first, *std::min_element(times.begin(), times.end()));
      end = std::max(end, *std::max_element(times.begin(), times.end()));
    }
    markers_[m] = first <= end ? std::clamp(x, first, end) : x;
  }
  changed(ChartChange::markers);
}

void ChartSession::clearMarkers() {
  if (!markers_[0] && !markers_[1]) return;
  markers_ = {};
  changed(ChartChange::markers);
}

void ChartSession::setZoom(std::optional<std::pair<double, double>> range) {
  if (zoom_ == range) return;
  zoom_ = range;
  changed(ChartChange::zoom);
}

void ChartSession::setCellTable(CellTableSettings settings) {
  const DumpModel& a = model();
  for (auto [wanted, current] : {std::pair(&settings.x, &cellTable_.x), std::pair(&settings.y, &cellTable_.y),
                                 std::pair(&settings.z, &cellTable_.z)})
    if (!hasTitle(a, *wanted)) *wanted = *current;
  settings.minimumRecords = std::max(1, settings.minimumRecords);
  if (settings.drive < 0 || settings.drive >= driveCount() || (settings.difference && settings.drive == 0)) {
    settings.drive = 0;
    settings.difference = false;
  }
  if (settings == cellTable_) return;
  cellTable_ = std::move(settings);
  changed(ChartChange::cellTable);
}

void ChartSession::markRecords(int drive, std::vector<int> positions) {
  markedDrive_ = std::clamp(drive, 0, driveCount() - 1);
  marked_ = std::move(positions);
  changed(ChartChange::marked);
}

void ChartSession::setGridDrive(int drive) {
  if (drive < 0 || drive >= driveCount()) drive = 0;
  if (drive == gridDrive_) return;
  gridDrive_ = drive;
  changed(ChartChange::gridDrive);
}

}  // namespace kq
