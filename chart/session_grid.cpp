#include "chart/session_grid.h"

#include "ui/grid_model.h"

namespace kq {
namespace {
constexpr int kRowHeight = 24;
constexpr int kColumnWidth = 110;
}  // namespace

SessionGrid::SessionGrid(ChartSession& session, QWidget* parent)
    : GridView(kFrameColumns, kRowHeight, kColumnWidth, parent),
      session_(session),
      cells_(new GridModel(this)) {
  setObjectName(QStringLiteral("grid"));
  setModel(cells_);
  setMinimumHeight(3 * kRowHeight);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) emit recordChosen(session_.gridDrive(), current.row());
          });
  subscription_ = session.observe([this](ChartChanges changes) {
    if (changes.hasAny(ChartChange::model | ChartChange::drives | ChartChange::gridDrive)) showDrive();
  });
  showDrive();
}

// The cells are the session's: no longer asked for once the grid goes.
SessionGrid::~SessionGrid() { cells_->setCells(0, 0, {}); }

void SessionGrid::showDrive() {
  const DumpModel* model = &session_.driveModel(session_.gridDrive());
  cells_->setCells(0, 0, {});
  cells_->setCells(model->rowCount(), model->columnCount(),
                   [model](int row, int column) { return model->cell(row, column); });
}

}  // namespace kq
