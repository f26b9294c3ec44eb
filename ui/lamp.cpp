#include "ui/lamp.h"

#include <QPainter>
#include <QRadialGradient>

namespace kq {
namespace {

constexpr int kDiameter = 15;
constexpr int kGap = 6;

}  // namespace

Lamp::Lamp(const QString& caption, QWidget* parent) : QWidget(parent), caption_(caption) {}

void Lamp::setLit(bool lit) {
  if (lit == lit_) return;
  lit_ = lit;
  update();
}

QSize Lamp::sizeHint() const {
  return {kDiameter + kGap + fontMetrics().horizontalAdvance(caption_) + 2,
          std::max(kDiameter + 2, fontMetrics().height())};
}

void Lamp::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF bulb(1, (height() - kDiameter) / 2.0, kDiameter, kDiameter);

  // A glass bulb: bright core towards the upper left, deep rim.
  QRadialGradient glass(bulb.center() - QPointF(2, 2), kDiameter * 0.7);
  if (lit_) {
    glass.setColorAt(0, QColor(0xE8, 0xFF, 0xE0));
    glass.setColorAt(0.35, QColor(0x30, 0xF0, 0x30));
    glass.setColorAt(1, QColor(0x00, 0x80, 0x00));
  } else {
    glass.setColorAt(0, QColor(0x70, 0x88, 0x70));
    glass.setColorAt(0.35, QColor(0x20, 0x48, 0x20));
    glass.setColorAt(1, QColor(0x08, 0x18, 0x08));
  }
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
  p.setBrush(glass);
  p.drawEllipse(bulb);

  p.setPen(palette().color(QPalette::WindowText));
  const QRect text(kDiameter + kGap, 0, width() - kDiameter - kGap, height());
  p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption_);
}

}  // namespace kq
