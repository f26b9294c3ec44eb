#include "ui/gauge.h"

#include <QPainter>
#include <algorithm>

namespace kq {

Gauge::Gauge(QWidget* parent) : QWidget(parent) {}

void Gauge::setValue(int percent) {
  percent = std::clamp(percent, 0, 100);
  if (percent == value_) return;
  value_ = percent;
  update();
  emit valueChanged(percent);
}

QString Gauge::text() const { return QString::asprintf("%d%%", value_); }

QSize Gauge::sizeHint() const { return {200, fontMetrics().height() + 8}; }

void Gauge::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect frame = rect();
  const QRect inside = frame.adjusted(2, 2, -2, -2);
  const int barWidth = inside.width() * value_ / 100;
  const QRect bar(inside.left(), inside.top(), barWidth, inside.height());

  // A sunken frame around a white trough.
  p.setPen(QColor(0x80, 0x80, 0x80));
  p.drawLine(frame.topLeft(), frame.topRight());
  p.drawLine(frame.topLeft(), frame.bottomLeft());
  p.setPen(Qt::white);
  p.drawLine(frame.bottomLeft(), frame.bottomRight());
  p.drawLine(frame.topRight(), frame.bottomRight());
  p.fillRect(frame.adjusted(1, 1, -1, -1), Qt::white);
  p.fillRect(bar, Qt::black);

  // The figure is black over the trough and white over the bar, so it stays
  // readable wherever the bar ends.
  const QString figure = text();
  p.setPen(Qt::black);
  p.setClipRect(inside.adjusted(barWidth, 0, 0, 0));
  p.drawText(inside, Qt::AlignCenter, figure);
  p.setPen(Qt::white);
  p.setClipRect(bar);
  p.drawText(inside, Qt::AlignCenter, figure);
}

}  // namespace kq
