#pragma once

#include "app/prompts.h"

class QWidget;

namespace kq {

// The prompts as the user meets them: the toolkit's file dialogs and message boxes.
class QtPrompts : public Prompts {
 public:
  explicit QtPrompts(QWidget* parent) : parent_(parent) {}

  std::optional<QString> saveFileName(const QString& filter, const QString& offered) override;
  std::optional<QString> openFileName(const QString& filter, const QString& offered) override;
  bool confirm(const QString& question) override;
  void showError(const QString& message) override;

 private:
  QWidget* parent_;
};

}  // namespace kq
