#pragma once

#include <QCoreApplication>
#include <QFileDialog>
#include <QPointer>

#include "app/prompts.h"

class QWidget;

namespace kq {

// The prompts as the user meets them: the toolkit's file dialogs, input
// dialogs and message boxes. The two file dialogs are made once and reused;
// for a window that asks often, made ahead as soon as it has been drawn,
// since making one takes longer than a click may wait. Each opens in the
// folder of the last file chosen in either, at first in the user's home
// folder.
class QtPrompts : public Prompts {
  Q_DECLARE_TR_FUNCTIONS(kq::QtPrompts)

 public:
  enum class Dialogs { madeAhead, madeWhenAsked };
  explicit QtPrompts(QWidget* parent, Dialogs dialogs = Dialogs::madeAhead);
  ~QtPrompts() override;
  QtPrompts(const QtPrompts&) = delete;
  QtPrompts& operator=(const QtPrompts&) = delete;

  std::optional<QString> saveFileName(const QString& filter, const QString& offered) override;
  std::optional<QString> openFileName(const QString& filter, const QString& offered) override;
  std::optional<QString> askText(const QString& question, const QString& offered) override;
  std::optional<QString> chooseItem(const QString& question, const QStringList& items, bool typed) override;
  bool confirm(const QString& question) override;
  void showError(const QString& message) override;

 private:
  QFileDialog& fileDialog(QFileDialog::AcceptMode mode);
  std::optional<QString> askFileName(QFileDialog::AcceptMode mode, const QString& filter,
                                     const QString& offered);

  QWidget* parent_;
  // Children of the parent when there is one, so guarded against its end.
  QPointer<QFileDialog> saveDialog_;
  QPointer<QFileDialog> openDialog_;
  QPointer<QObject> preparation_;
  QString lastFolder_;
};

}  // namespace kq
