#pragma once

#include <QAbstractButton>
#include <QString>

namespace kq {

// The windows' big button: bold raised text on a horizontal grey gradient
// face inside a 4-pixel bevel. Either a push button, or a switch that flips
// between its off and on texts on every click before clicked() is emitted, so
// a handler connected to clicked() sees the new state. text() is the text shown now.
class BigButton : public QAbstractButton {
  Q_OBJECT

 public:
  // A push button.
  explicit BigButton(const QString& text, QWidget* parent = nullptr);
  // A switch, off at start; the on-text is drawn in lime green.
  BigButton(const QString& offText, const QString& onText, QWidget* parent = nullptr);

  bool isSwitch() const { return isCheckable(); }
  // Sets a switch off without emitting clicked(), so its handler does not run.
  void release();

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString offText_;
  QString onText_;
};

}  // namespace kq
