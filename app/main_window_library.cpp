// The main window's library side: the library window, and the dump added to a car.
#include <QLabel>

#include "app/library_text.h"
#include "app/library_window.h"
#include "app/main_window.h"
#include "app/prompts.h"
#include "ui/qt_text.h"

namespace kq {

void MainWindow::onLibraryClicked() {
  if (library_) library_->showWindow();
}

void MainWindow::onAddToLibraryClicked() {
  if (!library_) return;
  if (session_.downloading()) {
    prompts_.showError(tr("Загрузка из БК ещё идёт: добавьте данные в библиотеку, когда она закончится"));
    return;
  }
  if (dump_.empty() || !dumpDay_) {
    prompts_.showError(tr("Нет данных для библиотеки: загрузите их из БК или прочитайте из файла"));
    return;
  }
  const ImportSource source{fileNameForCore(dumpFile_), *dumpDay_};
  if (const std::optional<ImportOutcome> outcome = library_->addDump(dump_, source, prompts_))
    statusLine_->setText(importedText(*outcome));
}

}  // namespace kq
