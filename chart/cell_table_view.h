#pragma once

#include <QStringList>
#include <QWidget>
#include <vector>

#include "analysis/cell_table.h"
#include "chart/cell_table_settings.h"

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
// click on a cell reports its records.
//
// Object names: tableX, tableY, tableZ, tableXBreaks, tableYBreaks,
// tableStatistic, tableMinimumRecords, tableCells, tableNote.
class CellTableView : public QWidget {
  Q_OBJECT
 public:
  explicit CellTableView(QWidget* parent = nullptr);

  // A new model (the caller keeps it and the kept records alive); the choices
  // stay where the new titles have them.
  void setData(const DumpModel* model, const std::vector<char>* kept, const QStringList& titles);
  // Made again from the model: after a choice, new data or a new filter.
  void rebuild();
  CellTableSettings settings() const;
  // Titles the model lacks leave their selector as it was.
  void setSettings(const CellTableSettings& settings);
  // The table as the clipboard gets it.
  QString tableText() const;

 signals:
  // The positions of the records of the cell clicked.
  void recordsChosen(const std::vector<int>& positions);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void fill();
  void chooseCell(int row, int column);

  const DumpModel* model_ = nullptr;
  const std::vector<char>* kept_ = nullptr;
  CellTable table_;
  CellStatistic statistic_ = CellStatistic::count;
  bool stale_ = false;

  QComboBox* xSelector_;
  QComboBox* ySelector_;
  QComboBox* zSelector_;
  QLineEdit* xBreaks_;
  QLineEdit* yBreaks_;
  QComboBox* statisticSelector_;
  QSpinBox* minimumRecords_;
  QTableWidget* cells_;
  QLabel* note_;
};

}  // namespace kq
