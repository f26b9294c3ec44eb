#include "ui/error_box.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace kq {

QString applicationTitle() { return QCoreApplication::applicationName(); }

QString withFullStop(const QString& message) {
  if (!message.isEmpty() && message.back() > QLatin1Char('.')) return message + QLatin1Char('.');
  return message;
}

void showErrorBox(QWidget* parent, const QString& message) {
  QMessageBox box(QMessageBox::Critical, applicationTitle(), withFullStop(message), QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace kq
