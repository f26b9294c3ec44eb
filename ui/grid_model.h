#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <string>

namespace kq {

// A read-only text grid for a QTableView. The cells stay with their owner and
// are asked for only when drawn; row 0 of the cells is the fixed title row and
// appears as the horizontal header, cell row r + 1 as table row r.
class GridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // UTF-8 text of a cell, row 0 being the titles.
  using CellText = std::function<std::string(int row, int column)>;

  explicit GridModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  // Shows rows × columns cells (rows counting the title row); the owner keeps
  // the cells alive until the next call.
  void setCells(int rows, int columns, CellText cellText);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  int rows_ = 0;
  int columns_ = 0;
  CellText cellText_;
};

}  // namespace kq
