#include "ui/error_box.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>

namespace kq {

QString applicationTitle() { return QCoreApplication::applicationName(); }

QString withFullStop(const QString& message) {
  if (!message.isEmpty() && message.back() > QLatin1Char('.')) return message + QLatin1Char('.');
  return message;
}

void makeRoomForTitle(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (!grid) return;
  // Title bars use a bold font, often a size larger; the window icon and
  // the close button take about six lines' height.
  QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
  titleFont.setBold(true);
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.15);
  const QFontMetrics metrics(titleFont);
  const int width = metrics.horizontalAdvance(box.windowTitle()) + 6 * metrics.height();
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                grid->columnCount());
}

void showErrorBox(QWidget* parent, const QString& message) {
  QMessageBox box(QMessageBox::Critical, applicationTitle(), withFullStop(message), QMessageBox::Ok, parent);
  makeRoomForTitle(box);
  box.exec();
}

}  // namespace kq
