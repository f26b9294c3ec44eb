#pragma once

#include "analysis/chart_session.h"
#include "ui/grid_view.h"

namespace kq {

class GridModel;

// The grid beneath the chart: every value of the records of the drive the
// session's grid shows, date, time and record number staying in view.
// Object name: grid.
class SessionGrid : public GridView {
  Q_OBJECT
 public:
  explicit SessionGrid(ChartSession& session, QWidget* parent = nullptr);
  ~SessionGrid() override;

 signals:
  // The current row moved to the record at this position of a drive.
  void recordChosen(int drive, int position);

 private:
  void showDrive();

  ChartSession& session_;
  ChartSession::Subscription subscription_;
  GridModel* cells_;
};

}  // namespace kq
