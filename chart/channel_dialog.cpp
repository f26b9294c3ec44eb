#include "chart/channel_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "chart/formula_edit.h"

namespace kq {
namespace {
constexpr int kFormulaWidth = 520;
}

ChannelDialog::ChannelDialog(QWidget* parent, const QString& caption, const QStringList& titles, Check check)
    : QDialog(parent), check_(std::move(check)) {
  setWindowTitle(caption);
  name_ = new QLineEdit;
  name_->setObjectName(QStringLiteral("channelName"));
  formula_ = new FormulaEdit;
  formula_->setObjectName(QStringLiteral("channelFormula"));
  formula_->setTitles(titles);
  formula_->setMinimumWidth(kFormulaWidth);
  formula_->setPlaceholderText(tr("например: [Обороты двигателя] - [Обороты двигателя@-1]"));
  error_ = new QLabel;
  error_->setObjectName(QStringLiteral("channelError"));
  error_->setStyleSheet(QStringLiteral("color: #b00000"));
  error_->setWordWrap(true);
  auto* hint = new QLabel(
      tr("Параметры — в квадратных скобках, как в списках; [Название@-1] — значение в предыдущей записи. "
         "Дробную часть отделяет точка. Действия: + - * / ^, сравнения, &&, ||, !, abs, min, max, sqrt, "
         "if(условие, да, нет). Деление на ноль даёт пропуск."));
  hint->setWordWrap(true);

  auto* form = new QFormLayout;
  form->addRow(tr("Имя:"), name_);
  form->addRow(tr("Формула:"), formula_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &ChannelDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ChannelDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(hint);
  layout->addWidget(error_);
  layout->addWidget(buttons);
}

void ChannelDialog::setChannel(const QString& name, const QString& formula) {
  name_->setText(name);
  formula_->setText(formula);
}

QString ChannelDialog::name() const { return name_->text().trimmed(); }
QString ChannelDialog::formula() const { return formula_->text(); }

void ChannelDialog::accept() {
  const QString problem = check_(name(), formula());
  if (!problem.isEmpty()) {
    error_->setText(problem);
    return;
  }
  QDialog::accept();
}

}  // namespace kq
