#include "app/report_dialog.h"

#include <QButtonGroup>
#include <QDateEdit>
#include <QDir>
#include <QGridLayout>
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
      chosen_(new QRadioButton(tr("Выбранные поездки (%1)").arg(chosenTrips_.size()))),
      from_(new QDateEdit),
      to_(new QDateEdit),
      spanNote_(new QLabel),
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
  setWindowTitle(tr("Отчёт: %1").arg(toQString(car_.name)));
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
  (chosenTrips_.empty() ? sinceLast_ : chosen_)->setChecked(true);

  redrawTimer_->setSingleShot(true);
  redrawTimer_->setInterval(kRedrawPause);
  connect(redrawTimer_, &QTimer::timeout, this, &ReportDialog::redraw);
  for (QRadioButton* choice : {sinceLast_, betweenDates_, chosen_})
    connect(choice, &QRadioButton::toggled, this, &ReportDialog::scheduleRedraw);
  for (QDateEdit* date : {from_, to_})
    connect(date, &QDateEdit::dateChanged, this, &ReportDialog::scheduleRedraw);
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
        status_->setText(tr("В отчёте не больше %1 параметров").arg(ReportTemplate::kMaxParameters));
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
  previewLabel_->setObjectName(QStringLiteral("reportPreview"));
  previewLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  status_->setObjectName(QStringLiteral("reportStatus"));
  status_->setWordWrap(true);
  auto* group = new QButtonGroup(this);
  for (QRadioButton* choice : {sinceLast_, betweenDates_, chosen_}) group->addButton(choice);

  auto* spanBox = new QGroupBox(tr("Период"));
  auto* spanGrid = new QGridLayout(spanBox);
  spanGrid->addWidget(sinceLast_, 0, 0, 1, 4);
  spanGrid->addWidget(betweenDates_, 1, 0);
  spanGrid->addWidget(from_, 1, 1);
  spanGrid->addWidget(new QLabel(QStringLiteral("—")), 1, 2);
  spanGrid->addWidget(to_, 1, 3);
  spanGrid->addWidget(chosen_, 2, 0, 1, 4);
  spanGrid->addWidget(spanNote_, 3, 0, 1, 4);

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
  templateButtons->addWidget(openTemplate_);
  templateButtons->addWidget(saveTemplate_);
  templateColumn->addLayout(templateButtons);

  auto* left = new QVBoxLayout;
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
  checks_->setText(tr("Проверки (%1)…").arg(template_.checks.size()));
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

void ReportDialog::redraw() {
  redrawTimer_->stop();
  if (sinceLast_->isChecked())
    spanNote_->setText(
        lastReport_ ? tr("Последний отчёт составлен %1 и заканчивался %2")
                          .arg(systemTimeText(lastReport_->madeAt), toQString(momentText(lastReport_->to)))
                    : tr("Отчётов по машине ещё не было: отчёт о всей истории"));
  else
    spanNote_->clear();
  report_.reset();
  preview_ = QImage();
  try {
    checkReportTemplate(car_.controllerType, template_);
    report_ = std::make_unique<CarReport>(
        buildCarReport(*history_, car_.name, template_, span(), std::int64_t(std::time(nullptr))));
  } catch (const ReportError& error) {
    status_->setStyleSheet(QStringLiteral("color: #b00000"));
    status_->setText(tr("Шаблон не подходит: %1").arg(toQString(error.what())));
    previewLabel_->clear();
    savePdf_->setEnabled(false);
    return;
  }
  const ReportDocument document(*report_, *history_);
  preview_ = document.firstPage(kPreviewWidth);
  previewLabel_->setPixmap(QPixmap::fromImage(preview_));
  std::size_t events = 0;
  for (const CheckEvents& check : report_->checks) events += check.events.size();
  status_->setStyleSheet(QString());
  status_->setText(tr("Поездок: %1, событий: %2, страниц: %3")
                       .arg(groupedNumber(qint64(report_->trips.size())), groupedNumber(qint64(events)))
                       .arg(document.pageCount()));
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
  const std::optional<QString> chosen = prompts_.openFileName(tr("Шаблон отчёта (*.json)"), QString());
  if (!chosen) return;
  try {
    const ReportTemplate report = loadReportTemplate(fileNameForCore(*chosen));
    checkReportTemplate(car_.controllerType, report);
    setReportTemplate(report);
    redraw();
  } catch (const std::exception& error) {
    prompts_.showError(toQString(error.what()));
  }
}

void ReportDialog::onSaveTemplate() {
  const std::optional<QString> chosen =
      prompts_.saveFileName(tr("Шаблон отчёта (*.json)"), tr("шаблон отчёта.json"));
  if (!chosen) return;
  try {
    saveReportTemplate(fileNameForCore(*chosen), template_);
    status_->setText(tr("Шаблон сохранён: %1").arg(*chosen));
  } catch (const std::exception& error) {
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
    prompts_.showError(toQString(error.what()));
    return;
  }
  if (!report_->from) {
    status_->setText(tr("PDF сохранён: %1").arg(*chosen));
    return;
  }
  if (store_.readOnly()) {
    status_->setText(
        tr("PDF сохранён: %1. Библиотека только для чтения: отчёт в ней не отмечен").arg(*chosen));
    return;
  }
  try {
    const ReportMark mark{report_->madeAt, *report_->from, *report_->to};
    store_.markReport(car_.id, mark);
    lastReport_ = mark;
    status_->setText(tr("PDF сохранён: %1. Следующий отчёт «с последнего» начнётся после него").arg(*chosen));
  } catch (const std::exception& error) {
    prompts_.showError(toQString(error.what()));
    status_->setText(tr("PDF сохранён: %1, но отчёт не отмечен в библиотеке").arg(*chosen));
  }
}

}  // namespace kq
