#pragma once

#include <QWidget>

#include "dump/dump.h"

namespace kq {

// The chart window "График": ten series over the record position, a panel of
// parameter selectors with visibility and right-axis switches, and the grid of
// every decoded value beneath. Closing it only hides it.
class ChartWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ChartWindow(QWidget* parent = nullptr);  // created hidden

  // The chart button's preparation: nothing for an empty dump; otherwise fills
  // the grid, the selectors, the switches and the series and shows the window
  // non-modally. Throws ConversionError, leaving the window as it was.
  void prepare(const Dump& dump, char decimalSeparator);
};

}  // namespace kq
