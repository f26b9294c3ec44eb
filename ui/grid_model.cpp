#include "ui/grid_model.h"

#include "ui/qt_text.h"

namespace kq {

void GridModel::setCells(int rows, int columns, CellText cellText) {
  beginResetModel();
  rows_ = rows;
  columns_ = columns;
  cellText_ = std::move(cellText);
  endResetModel();
}

int GridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || rows_ == 0 ? 0 : rows_ - 1;
}

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  return toQString(cellText_(index.row() + 1, index.column()));
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columns_) return {};
  // Titles are long; the tool tip shows a title that the column cuts short.
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return toQString(cellText_(0, section));
  return {};
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace kq
