#pragma once

#include <qcustomplot.h>

#include <functional>

namespace kq {

// Ticks of an axis whose positions are records 0, 1, 2, ...: one tick every
// 1, 2, 5, 10, 20, ... records, the step chosen so that the labels, as wide
// as the widest sample, never overlap at the axis' length. Labels may have
// two lines.
class RecordTicker : public QCPAxisTicker {
 public:
  using Label = std::function<QString(int position)>;

  // The axis whose length and font decide the step.
  explicit RecordTicker(QCPAxis* axis) : axis_(axis) {}

  // Label of a record position, and the widest text a label can have.
  void setLabels(Label label, const QString& widestSample);

 protected:
  double getTickStep(const QCPRange& range) override;
  int getSubTickCount(double tickStep) override;
  QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override;

 private:
  QCPAxis* axis_;
  Label label_ = [](int position) { return QString::number(position); };
  QString widestSample_ = QStringLiteral("00000");
};

}  // namespace kq
