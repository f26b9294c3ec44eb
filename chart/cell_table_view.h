#pragma once

#include <QStringList>
#include <QWidget>
#include <vector>

#include "analysis/cell_table.h"
#include "analysis/chart_session.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;

namespace kq {

// The "Таблица" tab: where the engine spent its time. X and Y parameters with
// their breakpoints (typed, or pasted as a row of a spreadsheet; empty: 8 even
// steps of the data), Z and a statistic per cell; cells with fewer records
// than chosen are greyed; a colour scale runs from the smallest value (blue)
// to the largest (red). Ctrl+C copies the table as tab-separated text; a
// click on a cell reports its records. With drives compared, "Запись:" shows
// the table of one drive, or one drive's less A's ("B − A"); empty
// breakpoints are then A's even steps for every drive, so the tables line up.
// The choices are the session's; a click on a cell marks its records there.
//
// Object names: tableX, tableY, tableZ, tableXBreaks, tableYBreaks,
// tableStatistic, tableMinimumRecords, tableDrive, tableCells, tableNote.
class CellTableView : public QWidget {
  Q_OBJECT
 public:
  explicit CellTableView(ChartSession& session, QWidget* parent = nullptr);

  // Made again from the session: after a choice, new data or a new filter.
  void rebuild();
  // The table as the clipboard gets it.
  QString tableText() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void update(ChartChanges changes);
  void showTitles();
  void showDrives();
  void showSettings();
  // The user's choice in one of the widgets, handed to the session.
  void takeSettings();
  void fill();
  void chooseCell(int row, int column);
  // The column of a title in a drive, -1 for none.
  int columnOf(const std::string& title, int drive) const;
  char decimalSeparator() const;

  ChartSession& session_;
  ChartSession::Subscription subscription_;
  CellTable table_;
  CellTable reference_;      // A's, when a difference is shown
  CellTableSettings built_;  // the settings the table was made with
  bool stale_ = false;

  QComboBox* xSelector_;
  QComboBox* ySelector_;
  QComboBox* zSelector_;
  QLineEdit* xBreaks_;
  QLineEdit* yBreaks_;
  QComboBox* statisticSelector_;
  QSpinBox* minimumRecords_;
  QLabel* driveLabel_;
  QComboBox* driveSelector_;
  QTableWidget* cells_;
  QLabel* note_;
};

}  // namespace kq
