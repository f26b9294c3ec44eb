#pragma once

#include <QWidget>

namespace kq {

// A horizontal percentage gauge: black bar on white, 0 to 100, the value
// written in the middle as "N%".
class Gauge : public QWidget {
  Q_OBJECT

 public:
  explicit Gauge(QWidget* parent = nullptr);

  int value() const { return value_; }
  // Values outside 0..100 are clamped.
  void setValue(int percent);
  // The text drawn in the middle, e.g. "6%".
  QString text() const;

  QSize sizeHint() const override;

 signals:
  void valueChanged(int percent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int value_ = 0;
};

}  // namespace kq
