#include "chart/formula_edit.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QStringListModel>

namespace kq {

FormulaEdit::FormulaEdit(QWidget* parent) : QLineEdit(parent) {
  items_ = new QStringListModel(this);
  completer_ = new QCompleter(items_, this);
  completer_->setWidget(this);
  completer_->setCompletionMode(QCompleter::PopupCompletion);
  completer_->setCaseSensitivity(Qt::CaseInsensitive);
  completer_->setFilterMode(Qt::MatchContains);
  connect(this, &QLineEdit::textEdited, this, &FormulaEdit::offerTitles);
  connect(completer_, qOverload<const QString&>(&QCompleter::activated), this, &FormulaEdit::insertTitle);
}

void FormulaEdit::setTitles(const QStringList& titles) {
  QStringList bracketed;
  for (const QString& title : titles) bracketed << QLatin1Char('[') + title + QLatin1Char(']');
  items_->setStringList(bracketed);
}

int FormulaEdit::openBracket() const {
  const QString before = text().left(cursorPosition());
  const int open = before.lastIndexOf(QLatin1Char('['));
  return open >= 0 && before.indexOf(QLatin1Char(']'), open) < 0 ? open : -1;
}

void FormulaEdit::offerTitles() {
  const int open = openBracket();
  if (open < 0) {
    completer_->popup()->hide();
    return;
  }
  // The prefix keeps its bracket, so that it matches the start of a title too.
  completer_->setCompletionPrefix(text().mid(open + 1, cursorPosition() - open - 1));
  QRect place = cursorRect();
  place.setWidth(std::max(width(), completer_->popup()->sizeHintForColumn(0) + 24));
  completer_->complete(place);
}

void FormulaEdit::insertTitle(const QString& bracketed) {
  const int open = openBracket();
  if (open < 0) return;
  QString changed = text();
  changed.replace(open, cursorPosition() - open, bracketed);
  setText(changed);
  setCursorPosition(open + int(bracketed.size()));
}

}  // namespace kq
