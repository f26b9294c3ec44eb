#include "chart/parameter_choice.h"

#include <QComboBox>
#include <algorithm>

#include "analysis/dump_model.h"

namespace kq {

void refillKeepingChoice(QComboBox* selector, const QStringList& titles, int initial) {
  const QString chosen = selector->currentText();
  selector->clear();
  selector->addItems(titles);
  const int index = titles.indexOf(chosen);
  selector->setCurrentIndex(index >= 0 ? index : std::min(initial, int(titles.size()) - 1));
}

int chosenColumn(const QComboBox* selector) {
  return selector->currentIndex() < 0 ? -1 : kFrameColumns + selector->currentIndex();
}

}  // namespace kq
