#include "app/report_dialog.h"

#include <QButtonGroup>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>

#include "app/checks_dialog.h"
#include "app/library_text.h"
#include "app/prompts.h"
#include "base/safe_file.h"
#include "chart/report_document.h"
#include "chart/report_text.h"
#include "decode/parameter_table.h"
#include "ui/qt_text.h"

namespace kq {
namespace {
constexpr int kPreviewWidth = 520;
constexpr int kRedrawPause = 150;  // ms: a few quick changes, one drawing
constexpr int kDefaultDays = 30;

QDate qtDate(const CalendarDate& date) { return QDate(date.year, date.month, date.day); }
CalendarDate calendarDate(const QDate& date) { return {date.year(), date.month(), date.day()}; }

QPushButton* makeButton(const QString& text, const char* name) {
  auto* button = new QPushButton(text);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}
}  // namespace

ReportDialog::ReportDialog(LibraryStore& store, Car car, std::shared_ptr<const CarHistory> history,
                           std::vector<int> chosenTrips, Prompts& prompts, QWidget* parent)
    : QDialog(parent),
      store_(store),
      car_(std::move(car)),
      history_(std::move(history)),
      chosenTrips_(std::move(chosenTrips)),
      prompts_(prompts),
      lastReport_(store.lastReport(car_.id)),
      template_(defaultReportTemplate(car_.controllerType)),
      sinceLast_(new QRadioButton(tr("С последнего отчёта"))),
      betweenDates_(new QRadioButton(tr("За даты"))),
      chosen_(new QRadioButton(tr("Выбранные поездки"))),
      from_(new QDateEdit),
      to_(new QDateEdit),
      spanNote_(new QLabel),
      checksSummary_(new QLabel),
      parameters_(new QListWidget),
      charts_(new QSpinBox),
      checks_(makeButton(tr("Проверки…"), "checksButton")),
      openTemplate_(makeButton(tr("Открыть шаблон…"), "openTemplateButton")),
      saveTemplate_(makeButton(tr("Сохранить шаблон…"), "saveTemplateButton")),
      previewLabel_(new QLabel),
      savePdf_(makeButton(tr("Сохранить PDF"), "savePdfButton")),
      status_(new QLabel),
      redrawTimer_(new QTimer(this)) {
  setObjectName(QStringLiteral("reportDialog"));
  setWindowTitle(tr("Отчёт"));
  placeWidgets();

  // The dates offered: the last month of the history.
  const std::vector<HistoryRecord>& records = history_->records();
  if (!records.empty()) {
    const QDate first = qtDate(dateOfMoment(records.front().moment));
    const QDate last = qtDate(dateOfMoment(records.back().moment));
    to_->setDate(last);
    from_->setDate(std::max(first, last.addDays(-kDefaultDays)));
  }
  chosen_->setEnabled(!chosenTrips_.empty());
  if (chosenTrips_.empty()) chosen_->setToolTip(tr("Выберите поездки в окне библиотеки"));
  (chosenTrips_.empty() ? sinceLast_ : chosen_)->setChecked(true);

  redrawTimer_->setSingleShot(true);
  redrawTimer_->setInterval(kRedrawPause);
  connect(redrawTimer_, &QTimer::timeout, this, &ReportDialog::redraw);
  for (QRadioButton* choice : {sinceLast_, betweenDates_, chosen_})
    connect(choice, &QRadioButton::toggled, this, &ReportDialog::scheduleRedraw);
  // The span ends no earlier than it starts.
  to_->setMinimumDate(from_->date());
  connect(from_, &QDateEdit::dateChanged, this, [this](QDate from) { to_->setMinimumDate(from); });
  for (QDateEdit* date : {from_, to_})
    connect(date, &QDateEdit::dateChanged, this, [this] {
      // Changing a date means the dates.
      betweenDates_->setChecked(true);
      scheduleRedraw();
    });
  connect(charts_, &QSpinBox::valueChanged, this, [this](int charts) {
    template_.charts = charts;
    scheduleRedraw();
  });
  connect(parameters_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    const std::string title = item->text().toStdString();
    auto& chosen = template_.parameters;
    const auto at = std::find(chosen.begin(), chosen.end(), title);
    if (item->checkState() == Qt::Checked && at == chosen.end()) {
      if (int(chosen.size()) >= ReportTemplate::kMaxParameters) {
        const QSignalBlocker blocker(parameters_);
        item->setCheckState(Qt::Unchecked);
        say(tr("В отчёте не больше %1 параметров").arg(ReportTemplate::kMaxParameters), true);
        return;
      }
      chosen.push_back(title);
    } else if (item->checkState() != Qt::Checked && at != chosen.end()) {
      chosen.erase(at);
    }
    scheduleRedraw();
  });
  connect(checks_, &QPushButton::clicked, this, &ReportDialog::onChecks);
  connect(openTemplate_, &QPushButton::clicked, this, &ReportDialog::onOpenTemplate);
  connect(saveTemplate_, &QPushButton::clicked, this, &ReportDialog::onSaveTemplate);
  connect(savePdf_, &QPushButton::clicked, this, &ReportDialog::onSavePdf);
  showTemplate();
  redraw();
}

ReportDialog::~ReportDialog() = default;

void ReportDialog::placeWidgets() {
  sinceLast_->setObjectName(QStringLiteral("sinceLastReport"));
  betweenDates_->setObjectName(QStringLiteral("betweenDates"));
  chosen_->setObjectName(QStringLiteral("chosenTrips"));
  from_->setObjectName(QStringLiteral("fromDate"));
  to_->setObjectName(QStringLiteral("toDate"));
  for (QDateEdit* date : {from_, to_}) {
    date->setCalendarPopup(true);
    date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  }
  spanNote_->setObjectName(QStringLiteral("spanNote"));
  spanNote_->setWordWrap(true);
  parameters_->setObjectName(QStringLiteral("reportParameters"));
  charts_->setObjectName(QStringLiteral("reportCharts"));
  charts_->setRange(0, ReportTemplate::kMaxCharts);
  checksSummary_->setObjectName(QStringLiteral("checksSummary"));
  checksSummary_->setWordWrap(true);
  previewLabel_->setObjectName(QStringLiteral("reportPreview"));
  previewLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  status_->setObjectName(QStringLiteral("reportStatus"));
  status_->setWordWrap(true);
  auto* group = new QButtonGroup(this);
  for (QRadioButton* choice : {sinceLast_, betweenDates_, chosen_}) group->addButton(choice);

  auto* carLine = new QLabel(
      tr("Автомобиль «%1», тип контроллера %2").arg(toQString(car_.name)).arg(car_.controllerType));
  carLine->setObjectName(QStringLiteral("reportCar"));
  auto* spanBox = new QGroupBox(tr("Период"));
  auto* spanColumn = new QVBoxLayout(spanBox);
  spanColumn->addWidget(sinceLast_);
  auto* datesRow = new QHBoxLayout;
  datesRow->addWidget(betweenDates_);
  datesRow->addWidget(from_);
  datesRow->addWidget(new QLabel(QStringLiteral("—")));
  datesRow->addWidget(to_);
  datesRow->addStretch(1);
  spanColumn->addLayout(datesRow);
  spanColumn->addWidget(chosen_);
  spanColumn->addWidget(spanNote_);

  auto* templateBox = new QGroupBox(tr("Шаблон"));
  auto* templateColumn = new QVBoxLayout(templateBox);
  templateColumn->addWidget(new QLabel(tr("Параметры (таблица поездок, сравнение, тренды, графики):")));
  templateColumn->addWidget(parameters_, 1);
  auto* chartsRow = new QHBoxLayout;
  auto* chartsLabel = new QLabel(tr("Графиков поездок с событиями, не больше:"));
  chartsLabel->setBuddy(charts_);
  chartsRow->addWidget(chartsLabel);
  chartsRow->addWidget(charts_);
  chartsRow->addStretch(1);
  templateColumn->addLayout(chartsRow);
  auto* templateButtons = new QHBoxLayout;
  templateButtons->addWidget(checks_);
  templateButtons->addStretch(1);
  templateButtons->addWidget(openTemplate_);
  templateButtons->addWidget(saveTemplate_);
  templateColumn->addLayout(templateButtons);
  templateColumn->addWidget(checksSummary_);

  auto* left = new QVBoxLayout;
  left->addWidget(carLine);
  left->addWidget(spanBox);
  left->addWidget(templateBox, 1);
  left->addWidget(status_);
  auto* saveRow = new QHBoxLayout;
  saveRow->addStretch(1);
  saveRow->addWidget(savePdf_);
  left->addLayout(saveRow);

  auto* scroll = new QScrollArea;
  scroll->setWidget(previewLabel_);
  scroll->setWidgetResizable(true);
  scroll->setMinimumWidth(kPreviewWidth + 24);
  scroll->setBackgroundRole(QPalette::Dark);

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addWidget(scroll, 1);
  resize(1100, 780);
}

void ReportDialog::setReportTemplate(const ReportTemplate& report) {
  template_ = report;
  showTemplate();
  scheduleRedraw();
}

void ReportDialog::showTemplate() {
  const QSignalBlocker blockList(parameters_), blockCharts(charts_);
  parameters_->clear();
  for (const ParameterColumn& column : parameterTable(car_.controllerType)) {
    auto* item = new QListWidgetItem(toQString(column.title), parameters_);
    const bool chosen = std::find(template_.parameters.begin(), template_.parameters.end(), column.title) !=
                        template_.parameters.end();
    item->setCheckState(chosen ? Qt::Checked : Qt::Unchecked);
  }
  charts_->setValue(template_.charts);
  QStringList names;
  for (const ReportCheck& check : template_.checks) names << toQString(check.name);
  checksSummary_->setText(names.isEmpty() ? tr("Проверок нет")
                                          : tr("Проверки: %1").arg(names.join(QStringLiteral(", "))));
}

ReportSpan ReportDialog::span() const {
  ReportSpan span;
  if (chosen_->isChecked()) {
    span.trips = chosenTrips_;
  } else if (betweenDates_->isChecked()) {
    span.from = dayStart(calendarDate(from_->date()));
    span.to = dayStart(calendarDate(to_->date())) + 86399;
  } else if (lastReport_) {
    span.from = lastReport_->to + 1;
  }
  return span;
}

void ReportDialog::scheduleRedraw() { redrawTimer_->start(); }

void ReportDialog::say(const QString& text, bool failure) {
  status_->setStyleSheet(failure ? QStringLiteral("color: #b00000") : QString());
  status_->setText(text);
}

void ReportDialog::redraw() {
  redrawTimer_->stop();
  if (sinceLast_->isChecked())
    spanNote_->setText(
        lastReport_ ? tr("Последний отчёт составлен %1, он заканчивался %2")
                          .arg(systemTimeText(lastReport_->madeAt), toQString(momentText(lastReport_->to)))
                    : tr("Отчётов по этому автомобилю ещё не было — отчёт обо всей истории"));
  else if (chosen_->isChecked())
    spanNote_->setText(tr("Поездок выбрано в окне библиотеки: %1").arg(chosenTrips_.size()));
  else
    spanNote_->clear();
  report_.reset();
  preview_ = QImage();
  previewLabel_->clear();
  savePdf_->setEnabled(false);
  try {
    checkReportTemplate(car_.controllerType, template_);
    report_ = std::make_unique<CarReport>(
        buildCarReport(*history_, car_.name, template_, span(), std::int64_t(std::time(nullptr))));
  } catch (const std::exception& error) {
    say(tr("Шаблон не подходит: %1").arg(toQString(error.what())), true);
    return;
  }
  int pages = 0;
  try {
    const ReportDocument document(*report_, *history_);
    preview_ = document.firstPage(kPreviewWidth);
    pages = document.pageCount();
  } catch (const std::exception& error) {
    report_.reset();
    say(tr("Отчёт не нарисован: %1").arg(toQString(error.what())), true);
    return;
  }
  previewLabel_->setPixmap(QPixmap::fromImage(preview_));
  std::size_t events = 0;
  for (const CheckEvents& check : report_->checks) events += check.events.size();
  say(tr("Поездок: %1, событий: %2, страниц: %3")
          .arg(groupedNumber(qint64(report_->trips.size())), groupedNumber(qint64(events)))
          .arg(pages),
      false);
  savePdf_->setEnabled(true);
}

void ReportDialog::onChecks() {
  QStringList titles;
  for (const ParameterColumn& column : parameterTable(car_.controllerType)) titles << toQString(column.title);
  ChecksDialog dialog(template_.checks, titles, this);
  if (dialog.exec() != QDialog::Accepted) return;
  template_.checks = dialog.checks();
  showTemplate();
  redraw();
}

void ReportDialog::onOpenTemplate() {
  const std::optional<QString> chosen = prompts_.openFileName(tr("Шаблон отчёта (*.json)"), templateFile_);
  if (!chosen) return;
  try {
    const ReportTemplate report = loadReportTemplate(fileNameForCore(*chosen));
    // One that does not fit the car leaves the template as it was.
    checkReportTemplate(car_.controllerType, report);
    templateFile_ = *chosen;
    setReportTemplate(report);
    redraw();
  } catch (const std::exception& error) {
    say(tr("Шаблон не открыт: %1").arg(toQString(error.what())), true);
    prompts_.showError(toQString(error.what()));
  }
}

void ReportDialog::onSaveTemplate() {
  const QString offered = templateFile_.isEmpty()
                              ? QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                                    .filePath(tr("шаблон отчёта, тип %1.json").arg(car_.controllerType))
                              : templateFile_;
  const std::optional<QString> chosen = prompts_.saveFileName(tr("Шаблон отчёта (*.json)"), offered);
  if (!chosen) return;
  try {
    saveReportTemplate(fileNameForCore(*chosen), template_);
    templateFile_ = *chosen;
    say(tr("Шаблон сохранён: %1").arg(*chosen), false);
  } catch (const std::exception& error) {
    say(tr("Шаблон не сохранён: %1").arg(toQString(error.what())), true);
    prompts_.showError(toQString(error.what()));
  }
}

void ReportDialog::onSavePdf() {
  if (redrawTimer_->isActive()) redraw();
  if (!report_) return;
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  const QString offered = QDir(folder).filePath(toQString(reportFileName(car_.name, report_->madeAt)));
  const std::optional<QString> chosen = prompts_.saveFileName(tr("PDF (*.pdf)"), offered);
  if (!chosen) return;
  try {
    const QByteArray pdf = ReportDocument(*report_, *history_).pdf();
    writeFileSafely(fileNameForCore(*chosen), std::string_view(pdf.constData(), std::size_t(pdf.size())));
  } catch (const std::exception& error) {
    say(tr("PDF не сохранён: %1").arg(toQString(error.what())), true);
    prompts_.showError(toQString(error.what()));
    return;
  }
  // A car without dated records has no span to mark.
  if (!report_->from || !report_->to) {
    say(tr("PDF сохранён: %1").arg(*chosen), false);
    return;
  }
  if (store_.readOnly()) {
    say(tr("PDF сохранён: %1. Библиотека только для чтения — отчёт в ней не отмечен").arg(*chosen), true);
    return;
  }
  const ReportMark mark{report_->madeAt, *report_->from, *report_->to};
  try {
    store_.markReport(car_.id, mark);
  } catch (const std::exception& error) {
    say(tr("PDF сохранён: %1, но отчёт не отмечен в библиотеке: %2").arg(*chosen, toQString(error.what())),
        true);
    return;
  }
  lastReport_ = mark;
  say(tr("PDF сохранён: %1. Отчёт отмечен в библиотеке: следующий «С последнего отчёта» начнётся после "
         "него")
          .arg(*chosen),
      false);
}

}  // namespace kq
