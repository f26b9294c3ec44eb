#include "ui/port_selector.h"

#include <QAbstractItemView>
#include <QScrollBar>

#include "serial/port_discovery.h"

namespace kq {

PortSelector::PortSelector(QWidget* parent, std::filesystem::path devRoot)
    : QComboBox(parent), devRoot_(std::move(devRoot)) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  refresh();
  setCurrentIndex(0);
}

void PortSelector::showPopup() {
  refresh();
  // Labels are longer than the box is wide; the list shows them whole.
  view()->setMinimumWidth(view()->sizeHintForColumn(0) + view()->verticalScrollBar()->sizeHint().width());
  QComboBox::showPopup();
}

void PortSelector::refresh() {
  const QString text = currentText();
  clear();
  for (const PortEntry& port : availablePorts(devRoot_)) {
    addItem(QString::fromStdString(port.label));
    setItemData(count() - 1, QString::fromStdString(port.path), Qt::ToolTipRole);
  }
  const int chosen = findText(text);
  setCurrentIndex(chosen);
  if (chosen < 0) setEditText(text);
}

}  // namespace kq
