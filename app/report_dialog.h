#pragma once

#include <QDialog>
#include <QImage>
#include <memory>
#include <optional>
#include <vector>

#include "library/car_report.h"
#include "library/library_store.h"

class QDateEdit;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimer;

namespace kq {

class Prompts;

// "Отчёт": a car's report over a span, its first page previewed as the
// span and the template change and saved as a PDF file, which the library
// then notes so that the next visit's report starts after it. The span is
// the trips since the last report, two days from–to, or the trips chosen in
// the library window; the template (parameters, checks, charts) starts as the
// controller type's and is opened and saved as a JSON file. A template that
// does not fit the car is said, and nothing is saved; every failure is said
// and leaves files and library as they were.
//
// Object names: reportDialog, reportCar, sinceLastReport, betweenDates,
// chosenTrips, fromDate, toDate, spanNote, reportParameters, reportCharts,
// checksButton, checksSummary, openTemplateButton, saveTemplateButton,
// reportPreview, savePdfButton, reportStatus.
class ReportDialog : public QDialog {
  Q_OBJECT
 public:
  ReportDialog(LibraryStore& store, Car car, std::shared_ptr<const CarHistory> history,
               std::vector<int> chosenTrips, Prompts& prompts, QWidget* parent = nullptr);
  ~ReportDialog() override;

  const ReportTemplate& reportTemplate() const { return template_; }
  void setReportTemplate(const ReportTemplate& report);
  // The report as the preview shows it; nothing while the template does not fit.
  const CarReport* report() const { return report_.get(); }
  const QImage& preview() const { return preview_; }
  // Draws the report and its preview now rather than after the pause that
  // gathers quick changes.
  void redraw();

 private:
  void placeWidgets();
  void showTemplate();
  ReportSpan span() const;
  void scheduleRedraw();
  // In the status line, red for a failure.
  void say(const QString& text, bool failure);
  void onChecks();
  void onOpenTemplate();
  void onSaveTemplate();
  void onSavePdf();

  LibraryStore& store_;
  Car car_;
  std::shared_ptr<const CarHistory> history_;
  std::vector<int> chosenTrips_;
  Prompts& prompts_;
  std::optional<ReportMark> lastReport_;
  ReportTemplate template_;
  std::unique_ptr<CarReport> report_;
  QImage preview_;
  QString templateFile_;  // last opened or saved

  QRadioButton* sinceLast_;
  QRadioButton* betweenDates_;
  QRadioButton* chosen_;
  QDateEdit* from_;
  QDateEdit* to_;
  QLabel* spanNote_;
  QLabel* checksSummary_;
  QListWidget* parameters_;
  QSpinBox* charts_;
  QPushButton* checks_;
  QPushButton* openTemplate_;
  QPushButton* saveTemplate_;
  QLabel* previewLabel_;
  QPushButton* savePdf_;
  QLabel* status_;
  QTimer* redrawTimer_;
};

}  // namespace kq
