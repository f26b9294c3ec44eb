#pragma once

#include <QLineEdit>
#include <QStringList>

class QCompleter;
class QStringListModel;

namespace kq {

// A line for an expression that offers the parameter titles as "[Title]"
// while a bracket is open before the cursor: typing "[обор" lists the titles
// holding "обор"; choosing one puts "[Title]" in place of what was typed.
class FormulaEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit FormulaEdit(QWidget* parent = nullptr);
  void setTitles(const QStringList& titles);
  QCompleter* titleCompleter() const { return completer_; }

 private:
  // Where the open bracket before the cursor is, or -1.
  int openBracket() const;
  void offerTitles();
  void insertTitle(const QString& bracketed);

  QCompleter* completer_;
  QStringListModel* items_;
};

}  // namespace kq
