#pragma once

#include <QString>

class QMessageBox;
class QWidget;

namespace kq {

// The program's title: the caption of the main window and of every error box.
QString applicationTitle();

// The message as the error box shows it: a full stop is appended when the last
// character sorts after '.', so "Failed" gains one and "Failed." or "(Error 2)" do not.
QString withFullStop(const QString& message);

// Widens a message box so that the title bar has room for its whole title:
// the toolkit sizes a box by its text and allows little for the title bar's
// bolder font and buttons.
void makeRoomForTitle(QMessageBox& box);

// The standard error box: error icon, OK, the application title as its title.
// Modal; returns when the user has closed it.
void showErrorBox(QWidget* parent, const QString& message);

}  // namespace kq
