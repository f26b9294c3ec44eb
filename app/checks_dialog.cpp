#include "app/checks_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>
#include <climits>

#include "analysis/expression.h"
#include "chart/formula_edit.h"
#include "ui/qt_text.h"

namespace kq {

ChecksDialog::ChecksDialog(const std::vector<ReportCheck>& checks, const QStringList& titles, QWidget* parent)
    : QDialog(parent), titles_(titles), grid_(new QGridLayout) {
  setObjectName(QStringLiteral("checksDialog"));
  setWindowTitle(tr("Проверки"));
  for (const QString& title : titles) typeTitles_.push_back(title.toStdString());

  auto* rows = new QWidget;
  auto* column = new QVBoxLayout(rows);
  column->addLayout(grid_);
  column->addStretch(1);
  grid_->addWidget(new QLabel(tr("Название")), 0, 0);
  grid_->addWidget(new QLabel(tr("Условие (как у фильтра)")), 0, 1);
  grid_->addWidget(new QLabel(tr("Не короче")), 0, 2);
  grid_->setColumnStretch(1, 1);
  auto* scroll = new QScrollArea;
  scroll->setWidget(rows);
  scroll->setWidgetResizable(true);

  auto* add = new QPushButton(tr("Добавить проверку"));
  add->setObjectName(QStringLiteral("addCheckButton"));
  connect(add, &QPushButton::clicked, this, [this] {
    addRow({});
    recheck();
  });
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  ok_ = box->button(QDialogButtonBox::Ok);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(add);
  bottom->addStretch(1);
  bottom->addWidget(box);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(scroll, 1);
  layout->addLayout(bottom);
  for (const ReportCheck& check : checks) addRow(check);
  recheck();
  resize(1000, 420);
}

void ChecksDialog::addRow(const ReportCheck& check) {
  Row row{new QLineEdit(toQString(check.name)), new FormulaEdit, new QSpinBox, new QLabel,
          new QPushButton(tr("Удалить"))};
  row.name->setObjectName(QStringLiteral("checkName"));
  row.name->setPlaceholderText(tr("Перегрев"));
  row.name->setMinimumWidth(170);
  row.expression->setObjectName(QStringLiteral("checkExpression"));
  row.expression->setTitles(titles_);
  row.expression->setText(toQString(check.expression));
  row.expression->setPlaceholderText(tr("[Температура охлаждающей жидкости] > 105"));
  row.seconds->setObjectName(QStringLiteral("checkSeconds"));
  row.seconds->setRange(0, INT_MAX);
  row.seconds->setSuffix(tr(" с"));
  row.seconds->setValue(int(check.minSeconds));
  row.mistake->setObjectName(QStringLiteral("checkMistake"));
  row.mistake->setStyleSheet(QStringLiteral("color: #b00000"));
  row.remove->setObjectName(QStringLiteral("removeCheckButton"));
  const int at = 1 + 2 * int(rows_.size());
  grid_->addWidget(row.name, at, 0);
  grid_->addWidget(row.expression, at, 1);
  grid_->addWidget(row.seconds, at, 2);
  grid_->addWidget(row.remove, at, 3);
  grid_->addWidget(row.mistake, at + 1, 1, 1, 3);
  connect(row.name, &QLineEdit::textChanged, this, &ChecksDialog::recheck);
  connect(row.expression, &QLineEdit::textChanged, this, &ChecksDialog::recheck);
  connect(row.remove, &QPushButton::clicked, this, [this, remove = row.remove] { removeRow(remove); });
  rows_.push_back(row);
}

void ChecksDialog::removeRow(QPushButton* remove) {
  const auto row =
      std::find_if(rows_.begin(), rows_.end(), [remove](const Row& r) { return r.remove == remove; });
  if (row == rows_.end()) return;
  for (QWidget* widget : {static_cast<QWidget*>(row->name), static_cast<QWidget*>(row->expression),
                          static_cast<QWidget*>(row->seconds), static_cast<QWidget*>(row->mistake),
                          static_cast<QWidget*>(row->remove)})
    widget->deleteLater();
  rows_.erase(row);
  recheck();
}

void ChecksDialog::recheck() {
  bool sound = true;
  for (const Row& row : rows_) {
    QString wrongExpression;
    const std::string text = row.expression->text().toStdString();
    if (text.empty()) {
      wrongExpression = tr("Напишите условие");
    } else {
      try {
        Expression(text, typeTitles_);
      } catch (const ExpressionError& error) {
        wrongExpression = toQString(error.what());
      }
    }
    const QString mistake = !wrongExpression.isEmpty()             ? wrongExpression
                            : row.name->text().trimmed().isEmpty() ? tr("Дайте проверке название")
                                                                   : QString();
    row.mistake->setText(mistake);
    // The field itself marked too, where the eye is while typing.
    row.expression->setStyleSheet(
        wrongExpression.isEmpty() || text.empty() ? QString() : QStringLiteral("color: #b00000"));
    row.mistake->setVisible(!mistake.isEmpty());
    sound = sound && mistake.isEmpty();
  }
  ok_->setEnabled(sound);
}

std::vector<ReportCheck> ChecksDialog::checks() const {
  std::vector<ReportCheck> checks;
  for (const Row& row : rows_)
    checks.push_back({row.name->text().trimmed().toStdString(), row.expression->text().toStdString(),
                      Moment(row.seconds->value())});
  return checks;
}

}  // namespace kq
