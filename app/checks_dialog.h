#pragma once

#include <QDialog>
#include <QStringList>
#include <vector>

#include "library/report_template.h"

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kq {

class FormulaEdit;

// "Проверки": the checks of a report, each a name, an expression over the
// controller type's parameters and a shortest duration. Each expression is
// checked as it is typed, its mistake shown beneath it; OK waits until every
// check has a name and a sound expression.
//
// Object names: checksDialog, checkName, checkExpression, checkSeconds,
// checkMistake, removeCheckButton (one of each per check), addCheckButton,
// and the box's OK button.
class ChecksDialog : public QDialog {
  Q_OBJECT
 public:
  ChecksDialog(const std::vector<ReportCheck>& checks, const QStringList& titles, QWidget* parent = nullptr);
  std::vector<ReportCheck> checks() const;
  QPushButton* okButton() const { return ok_; }

 private:
  struct Row {
    QLineEdit* name;
    FormulaEdit* expression;
    QSpinBox* seconds;
    QLabel* mistake;
    QPushButton* remove;
  };
  void addRow(const ReportCheck& check);
  void removeRow(QPushButton* remove);
  void recheck();

  QStringList titles_;
  std::vector<std::string> typeTitles_;
  QGridLayout* grid_;
  std::vector<Row> rows_;
  QPushButton* ok_;
};

}  // namespace kq
