#pragma once

#include <QTableView>

namespace kq {

// A read-only text grid whose first columns stay in view while the rest
// scroll sideways (a second view over the same model and selection lies on
// top of them). Cells are selected singly or as ranges; Ctrl+C copies the
// selected cells as tab-separated lines under a line of their column titles.
class GridView : public QTableView {
  Q_OBJECT
 public:
  GridView(int frozenColumns, int rowHeight, int columnWidth, QWidget* parent = nullptr);

  void setModel(QAbstractItemModel* model) override;

  // The selected cells as Ctrl+C copies them: the titles of the columns that
  // hold a selected cell, then one line per such row, an unselected cell empty.
  QString selectionText() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

 private:
  void showFrozenColumnsOnly();
  void placeFrozenView();
  int frozenWidth() const;

  int frozenColumns_;
  QTableView* frozen_;
};

}  // namespace kq
