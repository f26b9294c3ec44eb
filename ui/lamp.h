#pragma once

#include <QString>
#include <QWidget>

namespace kq {

// An indicator lamp with its caption to the right. Dark until lit; clicks on
// it do nothing.
class Lamp : public QWidget {
  Q_OBJECT

 public:
  explicit Lamp(const QString& caption, QWidget* parent = nullptr);

  bool isLit() const { return lit_; }
  void setLit(bool lit);
  QString caption() const { return caption_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString caption_;
  bool lit_ = false;
};

}  // namespace kq
