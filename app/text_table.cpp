#include "app/text_table.h"

namespace kq {

void TextTable::reset(QStringList headers, std::vector<Row> rows, QStringList headerTips) {
  beginResetModel();
  headers_ = std::move(headers);
  headerTips_ = std::move(headerTips);
  rows_ = std::move(rows);
  endResetModel();
}

int TextTable::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }

int TextTable::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(headers_.size());
}

QVariant TextTable::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const Row& row = rows_[std::size_t(index.row())];
  if (role == kItemRole) return row.item;
  if (std::size_t(index.column()) >= row.cells.size()) return {};
  const Cell& cell = row.cells[std::size_t(index.column())];
  switch (role) {
    case Qt::DisplayRole:
      return cell.text;
    case kSortRole:
      return cell.key.isValid() ? cell.key : QVariant(cell.text);
    case Qt::TextAlignmentRole:
      return cell.key.isValid() ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    default:
      return {};
  }
}

QVariant TextTable::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= headers_.size()) return {};
  if (role == Qt::DisplayRole) return headers_[section];
  if (role == Qt::ToolTipRole && section < headerTips_.size()) return headerTips_[section];
  return {};
}

}  // namespace kq
