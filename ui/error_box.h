#pragma once

#include <QString>

class QWidget;

namespace kq {

// The program's title: the caption of the main window and of every error box.
QString applicationTitle();

// The message as the error box shows it: a full stop is appended when the last
// character sorts after '.', so "Failed" gains one and "Failed." or "(Error 2)" do not.
QString withFullStop(const QString& message);

// The standard error box: error icon, OK, the application title as its title.
// Modal; returns when the user has closed it.
void showErrorBox(QWidget* parent, const QString& message);

}  // namespace kq
