#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace kq {

// Everything the windows ask of the user, so that tests can answer it.
class Prompts {
 public:
  virtual ~Prompts() = default;

  // A file save dialog with one filter, opening on `offered`; the chosen name,
  // or nothing when cancelled. The dialog itself never asks about replacing.
  virtual std::optional<QString> saveFileName(const QString& filter, const QString& offered) = 0;
  // A file open dialog; the chosen name, or nothing when cancelled.
  virtual std::optional<QString> openFileName(const QString& filter, const QString& offered) = 0;
  // A line of text to type, `offered` filled in; what was typed, or nothing
  // when cancelled.
  virtual std::optional<QString> askText(const QString& question, const QString& offered) = 0;
  // One of the items, the first offered; with `typed` also a text of the
  // user's own in their place. Nothing when cancelled.
  virtual std::optional<QString> chooseItem(const QString& question, const QStringList& items,
                                            bool typed) = 0;
  // A Yes/No question; true for Yes.
  virtual bool confirm(const QString& question) = 0;
  // The standard error box.
  virtual void showError(const QString& message) = 0;
};

}  // namespace kq
