#pragma once

#include <QStringList>

class QComboBox;

namespace kq {

// New titles in a parameter selector of a tab: the choice stays where the new
// titles hold it, else item `initial` (or the last one there is).
void refillKeepingChoice(QComboBox* selector, const QStringList& titles, int initial);

// The grid column a tab's parameter selector names, or -1 for none.
int chosenColumn(const QComboBox* selector);

}  // namespace kq
