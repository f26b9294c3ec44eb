#include "ui/big_button.h"

#include <QLinearGradient>
#include <QPainter>

namespace kq {
namespace {

constexpr int kBevel = 4;
const QColor kFaceLeft(0xF0, 0xF0, 0xF0);
const QColor kFaceRight(0x69, 0x69, 0x69);
const QColor kLight(0xFF, 0xFF, 0xFF);
const QColor kLightEdge(0xDC, 0xDC, 0xDC);
const QColor kShadow(0x40, 0x40, 0x40);
const QColor kShadowEdge(0x80, 0x80, 0x80);
const QColor kOnText(0x00, 0xFF, 0x00);
const QColor kOnTextShadow(0x00, 0x40, 0x00, 0xC0);
const QColor kTextLight(0xFF, 0xFF, 0xFF, 0xD0);
const QColor kTextShadow(0x00, 0x00, 0x00, 0x50);

// One bevel ring per pixel: raised = light on the top and left edges, dark on
// the bottom and right; sunken swaps them.
void drawBevel(QPainter& p, QRect r, bool sunken) {
  for (int i = 0; i < kBevel; ++i) {
    const bool outer = i < kBevel / 2;
    const QColor topLeft = sunken ? (outer ? kShadow : kShadowEdge) : (outer ? kLight : kLightEdge);
    const QColor bottomRight = sunken ? (outer ? kLight : kLightEdge) : (outer ? kShadow : kShadowEdge);
    p.setPen(topLeft);
    p.drawLine(r.left(), r.top(), r.right() - 1, r.top());
    p.drawLine(r.left(), r.top(), r.left(), r.bottom() - 1);
    p.setPen(bottomRight);
    p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    p.drawLine(r.right(), r.top(), r.right(), r.bottom());
    r.adjust(1, 1, -1, -1);
  }
}

QFont boldFont(QFont font) {
  font.setBold(true);
  return font;
}

}  // namespace

BigButton::BigButton(const QString& text, QWidget* parent) : QAbstractButton(parent), offText_(text) {
  setText(text);
  setFocusPolicy(Qt::StrongFocus);
}

BigButton::BigButton(const QString& offText, const QString& onText, QWidget* parent)
    : BigButton(offText, parent) {
  onText_ = onText;
  setCheckable(true);
  connect(this, &QAbstractButton::toggled, this, [this](bool on) { setText(on ? onText_ : offText_); });
}

void BigButton::release() { setChecked(false); }

QSize BigButton::sizeHint() const {
  const QFontMetrics fm(boldFont(font()));
  const int width = std::max(fm.horizontalAdvance(offText_), fm.horizontalAdvance(onText_));
  return {width + 4 * kBevel + 16, fm.height() + 2 * kBevel + 12};
}

void BigButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();
  const bool sunken = isDown() || isChecked();

  QLinearGradient face(r.topLeft(), r.topRight());
  face.setColorAt(0, kFaceLeft);
  face.setColorAt(1, kFaceRight);
  p.fillRect(r, face);
  drawBevel(p, r, sunken);

  // Pressed faces move their text by a pixel, as a real key would.
  QRect textRect = r.adjusted(kBevel, kBevel, -kBevel, -kBevel);
  if (sunken) textRect.translate(1, 1);
  const int flags = Qt::AlignCenter | Qt::TextSingleLine;
  // Raised lettering: a light edge above and left, a soft shadow below and
  // right; the lime on-text gets a deep green shadow to stand off the face.
  p.setFont(boldFont(font()));
  p.setPen(kTextLight);
  p.drawText(textRect.translated(-1, -1), flags, text());
  p.setPen(isChecked() ? kOnTextShadow : kTextShadow);
  p.drawText(textRect.translated(1, 1), flags, text());
  p.setPen(isChecked() ? kOnText : QColor(Qt::black));
  p.drawText(textRect, flags, text());

  if (hasFocus()) {
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1, Qt::DotLine));
    p.drawRect(r.adjusted(kBevel + 2, kBevel + 2, -kBevel - 3, -kBevel - 3));
  }
}

}  // namespace kq
