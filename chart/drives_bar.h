#pragma once

#include <QWidget>
#include <vector>

#include "analysis/chart_session.h"

class QGridLayout;
class QLabel;
class QLineEdit;
class QMenu;

namespace kq {

class FormulaEdit;

// Drives compared, beneath the chart while there is more than one: per drive
// its name and file, its offset in seconds (typed; Shift and a drag on the
// chart; "Сброс"), "Убрать"; what each lacks of A; and "Выровнять по событию:"
// with its expression. Also the menu's "Добавить запись для сравнения…".
//
// Object names: addComparedDrive (the menu action), driveOffsetB..D,
// driveResetB..D, driveRemoveB..D, driveDragHint, missingNote,
// alignEventField, alignEventButton, drivesNote.
class DrivesBar : public QWidget {
  Q_OBJECT
 public:
  explicit DrivesBar(ChartSession& session, QWidget* parent = nullptr);

  // "Добавить запись для сравнения…", enabled while a drive can be added.
  void addActions(QMenu& menu);

 private:
  void update(ChartChanges changes);
  void showDrives();
  void showOffsets();
  void chooseDrive();
  void align();

  ChartSession& session_;
  ChartSession::Subscription subscription_;
  QGridLayout* rows_;
  std::vector<QLineEdit*> offsets_;  // of drives B, C, D
  QLabel* missing_;
  FormulaEdit* event_;
  QLabel* note_;
};

}  // namespace kq
