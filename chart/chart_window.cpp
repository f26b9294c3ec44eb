#include "chart/chart_window.h"

#include "chart/chart_data.h"

namespace kq {

ChartWindow::ChartWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QStringLiteral("График"));
}

void ChartWindow::prepare(const Dump& dump, char decimalSeparator) {
  if (dump.empty()) return;
  prepareChartData(dump, decimalSeparator);
  show();
}

}  // namespace kq
