#include "ui/record_ticker.h"

#include <cmath>

namespace kq {
namespace {
// Free space between two labels, in widths of "0".
constexpr int kLabelGap = 3;
}  // namespace

void RecordTicker::setLabels(Label label, const QString& widestSample) {
  label_ = std::move(label);
  widestSample_ = widestSample;
}

double RecordTicker::getTickStep(const QCPRange& range) {
  QFontMetrics metrics(axis_->tickLabelFont());
  int labelWidth = 0;
  for (const QString& line : widestSample_.split(QLatin1Char('\n')))
    labelWidth = std::max(labelWidth, metrics.horizontalAdvance(line));
  labelWidth += kLabelGap * metrics.horizontalAdvance(QLatin1Char('0'));
  // The length the axis will have: the plot's width now less the margins of
  // the last layout, which may be one resize behind the axis' own width.
  QCPAxisRect* rect = axis_->axisRect();
  int length = axis_->orientation() == Qt::Horizontal ? axis_->parentPlot()->viewport().width() -
                                                            rect->margins().left() - rect->margins().right()
                                                      : rect->height();
  length = std::max(length, 1);
  double recordsPerLabel = std::max(1.0, range.size() * labelWidth / length);
  double magnitude = std::pow(10.0, std::floor(std::log10(recordsPerLabel)));
  for (double factor : {1.0, 2.0, 5.0, 10.0}) {
    if (factor * magnitude >= recordsPerLabel) return factor * magnitude;
  }
  return 10 * magnitude;
}

int RecordTicker::getSubTickCount(double tickStep) {
  // Sub-ticks on records only.
  if (tickStep <= 1) return 0;
  double mantissa = tickStep / std::pow(10.0, std::floor(std::log10(tickStep)));
  return mantissa == 2 ? 1 : 4;
}

QString RecordTicker::getTickLabel(double tick, const QLocale&, QChar, int) {
  return label_(static_cast<int>(std::lround(tick)));
}

}  // namespace kq
