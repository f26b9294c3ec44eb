#include "chart/filter_bar.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <algorithm>

#include "chart/formula_edit.h"
#include "chart/readout_text.h"
#include "ui/qt_text.h"

namespace kq {
namespace {
constexpr int kFieldWidth = 520;

QString problemsText(const AnalysisProblems& problems) {
  QString text;
  for (const std::string& channel : problems.channels) text += toQString(channel) + QLatin1Char('\n');
  if (!problems.filter.empty()) text += FilterBar::tr("Фильтр не применён: ") + toQString(problems.filter);
  return text;
}
}  // namespace

FilterBar::FilterBar(ChartSession& session, QWidget* parent) : QWidget(parent), session_(session) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* label = new QLabel(tr("Фильтр"));
  field_ = new FormulaEdit;
  field_->setObjectName(QStringLiteral("filterField"));
  field_->setClearButtonEnabled(true);
  field_->setMinimumWidth(kFieldWidth);
  field_->setPlaceholderText(
      tr("например: [Обороты двигателя] > 3000 && [Расчетная нагрузка] > 80 — Enter применяет"));
  label->setBuddy(field_);
  error_ = new QLabel;
  error_->setObjectName(QStringLiteral("filterError"));
  error_->setStyleSheet(QStringLiteral("color: #b00000"));
  count_ = new QLabel;
  count_->setObjectName(QStringLiteral("filterCount"));
  gridDrive_ = new QComboBox;
  gridDrive_->setObjectName(QStringLiteral("gridDrive"));
  gridDrive_->hide();
  layout->addWidget(label);
  layout->addWidget(field_);
  layout->addWidget(count_);
  layout->addWidget(error_, 1);
  layout->addWidget(gridDrive_);

  connect(gridDrive_, &QComboBox::activated, this, [this](int drive) { session_.setGridDrive(drive); });
  connect(field_, &QLineEdit::returnPressed, this, [this] { apply(field_->text()); });
  // The clear button empties the field: the filter goes with it.
  connect(field_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (text.isEmpty() && !session_.filter().empty()) apply(text);
  });
  subscription_ = session.observe([this](ChartChanges changes) { update(changes); });
  update(ChartChanges::all());
}

bool FilterBar::apply(const QString& text) {
  const std::string mistake = session_.setFilter(text.toStdString());
  if (!mistake.empty()) error_->setText(toQString(mistake));
  return mistake.empty();
}

void FilterBar::update(ChartChanges changes) {
  if (changes.has(ChartChange::model)) {
    QStringList titles;
    for (const std::string& title : session_.model().titles()) titles << toQString(title);
    field_->setTitles(titles);
  }
  if (changes.hasAny(ChartChange::model | ChartChange::filter)) {
    error_->setText(problemsText(session_.analysisProblems()));
    const QString filter = toQString(session_.filter());
    if (changes.has(ChartChange::filter) && field_->text() != filter) field_->setText(filter);
    const std::span<const char> kept = session_.kept(0);
    count_->setText(kept.empty() ? QString()
                                 : keptCountText(long(std::count(kept.begin(), kept.end(), char(1))),
                                                 long(session_.model().recordCount())));
  }
  if (changes.hasAny(ChartChange::drives | ChartChange::gridDrive)) {
    const QSignalBlocker blocker(gridDrive_);
    gridDrive_->clear();
    for (int d = 0; d < session_.driveCount(); ++d)
      gridDrive_->addItem(tr("Запись ") + toQString(DriveComparison::driveName(d)));
    gridDrive_->setCurrentIndex(session_.gridDrive());
    gridDrive_->setVisible(session_.driveCount() > 1);
  }
}

}  // namespace kq
