#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class QLabel;
class QLineEdit;

namespace kq {

class FormulaEdit;

// "Новый канал" / "Изменить канал": a name and a formula. OK asks `check`,
// which returns what is wrong (empty when the channel can be made); the
// dialog stays open and shows the mistake until it is mended or cancelled.
// Object names: channelName, channelFormula, channelError.
class ChannelDialog : public QDialog {
  Q_OBJECT
 public:
  using Check = std::function<QString(const QString& name, const QString& formula)>;
  ChannelDialog(QWidget* parent, const QString& caption, const QStringList& titles, Check check);

  void setChannel(const QString& name, const QString& formula);
  QString name() const;
  QString formula() const;

  void accept() override;

 private:
  QLineEdit* name_;
  FormulaEdit* formula_;
  QLabel* error_;
  Check check_;
};

}  // namespace kq
