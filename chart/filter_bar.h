#pragma once

#include <QWidget>

#include "analysis/chart_session.h"

class QComboBox;
class QLabel;

namespace kq {

class FormulaEdit;

// The row above the grid: "Фильтр" with its expression (Enter applies it,
// clearing the field removes it), the records kept ("n = 2 473 из 7 680"),
// what did not fit, and with drives compared whose records the grid shows.
//
// Object names: filterField, filterCount, filterError, gridDrive.
class FilterBar : public QWidget {
  Q_OBJECT
 public:
  explicit FilterBar(ChartSession& session, QWidget* parent = nullptr);

  // The filter field's text applied; a mistake is shown beside it and changes nothing.
  bool apply(const QString& text);

 private:
  void update(ChartChanges changes);

  ChartSession& session_;
  ChartSession::Subscription subscription_;
  FormulaEdit* field_;
  QLabel* count_;
  QLabel* error_;
  QComboBox* gridDrive_;
};

}  // namespace kq
