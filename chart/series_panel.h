#pragma once

#include <QGroupBox>
#include <array>

#include "analysis/chart_session.h"

class QCheckBox;
class QComboBox;

namespace kq {

// The panel beside the chart: for each of the ten series a parameter
// selector (chosen from the list or typed), its "График N" switch and "Ось R"
// for the right axis; then "Ось времени". Shows the session's series and
// hands the user's choices to it.
//
// Object names: seriesPanel, seriesParameter1..10, seriesShown1..10,
// seriesRightAxis1..10, timeAxisSwitch (series numbered from 1 as their
// captions are).
class SeriesPanel : public QGroupBox {
  Q_OBJECT
 public:
  explicit SeriesPanel(ChartSession& session, QWidget* parent = nullptr);

  // Series i's selector as it stands, chosen or typed, handed to the session.
  void takeParameter(int series);

 private:
  void update(ChartChanges changes);
  void showTitles();
  void showSeries(int series);

  ChartSession& session_;
  ChartSession::Subscription subscription_;
  std::array<QComboBox*, kSeriesCount> selectors_{};
  std::array<QCheckBox*, kSeriesCount> shown_{};
  std::array<QCheckBox*, kSeriesCount> rightAxis_{};
  QCheckBox* timeAxis_ = nullptr;
};

}  // namespace kq
