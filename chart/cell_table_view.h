#pragma once

#include <QStringList>
#include <QWidget>
#include <vector>

#include "analysis/cell_table.h"
#include "chart/cell_table_settings.h"
#include "chart/drive_source.h"

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
//
// Object names: tableX, tableY, tableZ, tableXBreaks, tableYBreaks,
// tableStatistic, tableMinimumRecords, tableDrive, tableCells, tableNote.
class CellTableView : public QWidget {
  Q_OBJECT
 public:
  explicit CellTableView(QWidget* parent = nullptr);

  // New drives and drive A's titles; the choices stay where the new titles
  // have them.
  void setData(std::vector<DriveSource> drives, const QStringList& titles);
  // Drives added or gone, the titles as they were; the same drives change nothing.
  void setDrives(std::vector<DriveSource> drives);
  // Made again from the model: after a choice, new data or a new filter.
  void rebuild();
  CellTableSettings settings() const;
  // Titles the model lacks leave their selector as it was.
  void setSettings(const CellTableSettings& settings);
  // The table as the clipboard gets it.
  QString tableText() const;

 signals:
  // The positions of the records of the cell clicked, in that drive.
  void recordsChosen(int drive, const std::vector<int>& positions);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void fill();
  void chooseCell(int row, int column);
  // The drive whose table is shown, and whether less A's.
  int shownDrive() const;
  bool showsDifference() const;
  // The column a selector names in a drive, -1 for none.
  int columnOf(const QComboBox* selector, int drive) const;
  RecordSelection keptOf(int drive) const;
  char decimalSeparator() const;

  std::vector<DriveSource> drives_;
  CellTable table_;
  CellTable reference_;  // A's, when a difference is shown
  CellStatistic statistic_ = CellStatistic::count;
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
