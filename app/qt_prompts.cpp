#include "app/qt_prompts.h"

#include <QFileDialog>
#include <QMessageBox>

#include "ui/error_box.h"

namespace kq {
namespace {

std::optional<QString> chosen(const QString& name) {
  if (name.isEmpty()) return std::nullopt;
  return name;
}

}  // namespace

std::optional<QString> QtPrompts::saveFileName(const QString& filter, const QString& offered) {
  // The window appends ".txt" itself and asks about replacing the final name.
  return chosen(
      QFileDialog::getSaveFileName(parent_, {}, offered, filter, nullptr, QFileDialog::DontConfirmOverwrite));
}

std::optional<QString> QtPrompts::openFileName(const QString& filter, const QString& offered) {
  return chosen(QFileDialog::getOpenFileName(parent_, {}, offered, filter));
}

bool QtPrompts::confirm(const QString& question) {
  QMessageBox box(QMessageBox::Question, applicationTitle(), question, QMessageBox::Yes | QMessageBox::No,
                  parent_);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void QtPrompts::showError(const QString& message) { showErrorBox(parent_, message); }

}  // namespace kq
