#include "chart/series_panel.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

#include "ui/qt_text.h"

namespace kq {
namespace {
constexpr int kPanelWidth = 185;
// The drop-down and suggestion lists are as wide as the longest title plus a scroll bar.
constexpr int kListPadding = 40;
}  // namespace

SeriesPanel::SeriesPanel(ChartSession& session, QWidget* parent) : QGroupBox(parent), session_(session) {
  setObjectName(QStringLiteral("seriesPanel"));
  setFixedWidth(kPanelWidth);
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setVerticalSpacing(2);
  for (int series = 0; series < kSeriesCount; ++series) {
    const QString number = QString::number(series + 1);
    auto* shown = new QCheckBox(tr("График ") + number);
    shown->setObjectName(QStringLiteral("seriesShown") + number);
    auto* rightAxis = new QCheckBox(tr("Ось R"));
    rightAxis->setObjectName(QStringLiteral("seriesRightAxis") + number);
    auto* selector = new QComboBox;
    selector->setObjectName(QStringLiteral("seriesParameter") + number);
    selector->setEditable(true);
    selector->setInsertPolicy(QComboBox::NoInsert);
    selector->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    selector->setMinimumContentsLength(8);
    selector->completer()->setCompletionMode(QCompleter::PopupCompletion);
    selector->completer()->setFilterMode(Qt::MatchContains);
    shown_[series] = shown;
    rightAxis_[series] = rightAxis;
    selectors_[series] = selector;

    layout->addWidget(shown, 3 * series, 0);
    layout->addWidget(rightAxis, 3 * series, 1);
    layout->addWidget(selector, 3 * series + 1, 0, 1, 2);
    layout->setRowMinimumHeight(3 * series + 2, 4);
    layout->setRowStretch(3 * series + 2, 1);

    // Only the user's choices reach the session, not the panel's own list changes.
    connect(selector, &QComboBox::activated, this, [this, series] { takeParameter(series); });
    // Long titles: show their beginning whichever way the item was chosen.
    connect(selector, &QComboBox::currentIndexChanged, selector->lineEdit(),
            [edit = selector->lineEdit()] { edit->setCursorPosition(0); });
    connect(selector->lineEdit(), &QLineEdit::textEdited, this, [this, series] { takeParameter(series); });
    connect(shown, &QCheckBox::toggled, this,
            [this, series](bool on) { session_.setSeriesShown(series, on); });
    connect(rightAxis, &QCheckBox::toggled, this,
            [this, series](bool on) { session_.setSeriesOnRightAxis(series, on); });
  }
  timeAxis_ = new QCheckBox(tr("Ось времени"));
  timeAxis_->setObjectName(QStringLiteral("timeAxisSwitch"));
  layout->addWidget(timeAxis_, 3 * kSeriesCount, 0, 1, 2);
  connect(timeAxis_, &QCheckBox::toggled, this, [this](bool on) { session_.setTimeAxis(on); });

  subscription_ = session.observe([this](ChartChanges changes) { update(changes); });
  update(ChartChanges::all());
}

void SeriesPanel::takeParameter(int series) {
  const QComboBox* selector = selectors_[series];
  const int index = selector->currentIndex();
  const QString text = selector->currentText();
  // An item chosen from the list tells apart a title that stands twice.
  const bool chosen = index >= 0 && selector->itemText(index) == text;
  session_.setSeriesParameter(series, text.toStdString(), chosen ? index : -1);
}

void SeriesPanel::update(ChartChanges changes) {
  if (changes.has(ChartChange::model)) showTitles();
  for (int i = 0; i < kSeriesCount; ++i)
    if (changes.has(ChartChange::model) || changes.touchesSeries(i)) showSeries(i);
  if (changes.has(ChartChange::timeAxis)) {
    const QSignalBlocker blocker(timeAxis_);
    timeAxis_->setChecked(session_.timeAxis());
  }
}

void SeriesPanel::showTitles() {
  QStringList titles;
  int widest = 0;
  for (const std::string& title : session_.model().titles()) {
    titles << toQString(title);
    widest = std::max(widest, fontMetrics().horizontalAdvance(titles.back()));
  }
  for (QComboBox* selector : selectors_) {
    const QSignalBlocker blocker(selector);
    selector->clear();
    selector->addItems(titles);
    selector->view()->setMinimumWidth(widest + kListPadding);
    selector->completer()->popup()->setMinimumWidth(widest + kListPadding);
  }
}

void SeriesPanel::showSeries(int i) {
  const SeriesChoice& choice = session_.series(i);
  QComboBox* selector = selectors_[i];
  const QString parameter = toQString(choice.parameter);
  // The selector the user is typing in already says it: the cursor stays.
  if (selector->currentText() != parameter) {
    const QSignalBlocker blocker(selector);
    const bool listed =
        choice.item >= 0 && choice.item < selector->count() && selector->itemText(choice.item) == parameter;
    const int item =
        listed ? choice.item : selector->findText(parameter, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    selector->setCurrentIndex(item);
    // Text that names no title stays as it was typed.
    if (item < 0 && !parameter.isEmpty()) selector->setEditText(parameter);
    selector->lineEdit()->setCursorPosition(0);
  }
  const QSignalBlocker shownBlocker(shown_[i]);
  shown_[i]->setChecked(choice.shown);
  const QSignalBlocker rightBlocker(rightAxis_[i]);
  rightAxis_[i]->setChecked(choice.rightAxis);
}

}  // namespace kq
