#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace kq {

// A table of texts for the library window's lists: a few hundred trips, a few
// thousand events. Each cell has its text and the key it sorts by (a number
// where the text is one, so that "10" sorts after "9"), and each row the item
// it stands for. Sort through a QSortFilterProxyModel on kSortRole.
class TextTable : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int kSortRole = Qt::UserRole;
  static constexpr int kItemRole = Qt::UserRole + 1;

  struct Cell {
    QString text;
    QVariant key;
  };
  struct Row {
    int item = 0;
    std::vector<Cell> cells;
  };

  using QAbstractTableModel::QAbstractTableModel;

  // Replaces headers and rows at once; headers may carry a tooltip each.
  void reset(QStringList headers, std::vector<Row> rows, QStringList headerTips = {});
  int item(int row) const { return rows_[std::size_t(row)].item; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  QStringList headers_;
  QStringList headerTips_;
  std::vector<Row> rows_;
};

}  // namespace kq
