#include "ui/grid_view.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <set>

namespace kq {
namespace {
void lookAsAGrid(QTableView& view, int rowHeight, int columnWidth) {
  view.setEditTriggers(QAbstractItemView::NoEditTriggers);
  view.setSelectionBehavior(QAbstractItemView::SelectItems);
  view.setSelectionMode(QAbstractItemView::ExtendedSelection);
  view.setWordWrap(false);
  view.verticalHeader()->hide();
  view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view.verticalHeader()->setDefaultSectionSize(rowHeight);
  view.horizontalHeader()->setDefaultSectionSize(columnWidth);
  view.horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  view.horizontalHeader()->setHighlightSections(false);
}
}  // namespace

GridView::GridView(int frozenColumns, int rowHeight, int columnWidth, QWidget* parent)
    : QTableView(parent), frozenColumns_(frozenColumns), frozen_(new QTableView(this)) {
  lookAsAGrid(*this, rowHeight, columnWidth);
  lookAsAGrid(*frozen_, rowHeight, columnWidth);
  frozen_->setObjectName(QStringLiteral("frozenColumns"));
  frozen_->setFocusProxy(this);  // a click there lets Ctrl+C reach this view
  frozen_->setFrameShape(QFrame::NoFrame);
  frozen_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setVerticalScrollMode(verticalScrollMode());
  viewport()->stackUnder(frozen_);

  connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
    if (column < frozenColumns_) {
      frozen_->setColumnWidth(column, width);
      placeFrozenView();
    }
  });
  connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
          &QAbstractSlider::setValue);
  connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(),
          &QAbstractSlider::setValue);
}

void GridView::setModel(QAbstractItemModel* model) {
  QTableView::setModel(model);
  frozen_->setModel(model);
  frozen_->setSelectionModel(selectionModel());
  connect(model, &QAbstractItemModel::modelReset, this, &GridView::showFrozenColumnsOnly);
  showFrozenColumnsOnly();
}

void GridView::showFrozenColumnsOnly() {
  for (int column = 0; column < model()->columnCount(); ++column) {
    frozen_->setColumnHidden(column, column >= frozenColumns_);
    if (column < frozenColumns_) frozen_->setColumnWidth(column, columnWidth(column));
  }
  placeFrozenView();
}

int GridView::frozenWidth() const {
  int width = 0;
  for (int column = 0; column < std::min(frozenColumns_, model() ? model()->columnCount() : 0); ++column)
    width += columnWidth(column);
  return width;
}

void GridView::placeFrozenView() {
  frozen_->setGeometry(verticalHeader()->width() + frameWidth(), frameWidth(), frozenWidth(),
                       viewport()->height() + horizontalHeader()->height());
}

void GridView::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  placeFrozenView();
}

// Keeps the cell moved to by the keyboard from hiding under the frozen columns.
QModelIndex GridView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
  QModelIndex current = QTableView::moveCursor(cursorAction, modifiers);
  if (cursorAction == MoveLeft && current.column() >= frozenColumns_ &&
      visualRect(current).topLeft().x() < frozenWidth()) {
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + visualRect(current).topLeft().x() -
                                    frozenWidth());
  }
  return current;
}

void GridView::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (index.column() >= frozenColumns_) QTableView::scrollTo(index, hint);
}

QString GridView::selectionText() const {
  const QModelIndexList cells = selectionModel()->selectedIndexes();
  if (cells.isEmpty()) return {};
  std::set<int> rows, columns;
  for (const QModelIndex& cell : cells) {
    rows.insert(cell.row());
    columns.insert(cell.column());
  }
  QStringList lines;
  QStringList titles;
  for (int column : columns) titles << model()->headerData(column, Qt::Horizontal).toString();
  lines << titles.join(QLatin1Char('\t'));
  for (int row : rows) {
    QStringList line;
    for (int column : columns) {
      const QModelIndex cell = model()->index(row, column);
      line << (selectionModel()->isSelected(cell) ? cell.data().toString() : QString());
    }
    lines << line.join(QLatin1Char('\t'));
  }
  return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void GridView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    QApplication::clipboard()->setText(selectionText());
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

}  // namespace kq
