// The main window's file side: dump save and load, spreadsheet export, chart.
#include <QDateTime>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

#include "app/main_window.h"
#include "app/prompts.h"
#include "dump/dump_file.h"
#include "export/spreadsheet_export.h"
#include "regional/decimal_separator.h"
#include "ui/qt_text.h"

namespace kq {
namespace {

// Translated where used: the translator is installed after these are made.
const char* const kSaveFilter = QT_TRANSLATE_NOOP("kq::MainWindow", "Текстовой файл (*.txt)");
const char* const kOpenFilter = QT_TRANSLATE_NOOP("kq::MainWindow", "Текстовый файл (*.txt)");
const char* const kUnsavedQuestion =
    QT_TRANSLATE_NOOP("kq::MainWindow", "Данные, полученные из БК, не сохранены. Продолжить без сохранения?");

}  // namespace

bool MainWindow::mayReplaceDump() { return !downloadUnsaved_ || prompts_.confirm(tr(kUnsavedQuestion)); }

std::optional<QString> MainWindow::chooseSaveTarget() {
  const std::optional<QString> chosen = prompts_.saveFileName(tr(kSaveFilter), lastSaveName_);
  if (!chosen) return std::nullopt;
  lastSaveName_ = *chosen;
  // Always appended, also to a name that already ends in ".txt"; the dialog
  // never saw this final name, so replacing an existing file is asked here.
  const QString target = *chosen + QStringLiteral(".txt");
  if (QFileInfo::exists(target) &&
      !prompts_.confirm(tr("Файл «%1» уже существует. Заменить его?").arg(target)))
    return std::nullopt;
  return target;
}

void MainWindow::onSaveDumpClicked() {
  guarded([this] {
    const std::optional<QString> target = chooseSaveTarget();
    if (!target) return;
    saveDumpFile(fileNameForCore(*target), dump_);
    dumpFile_ = *target;
    if (!downloadUnsaved_ || session_.downloading()) return;
    downloadUnsaved_ = false;
    // Saved for good: its recovery copy has done its work.
    if (recoveryPath_) {
      std::error_code ignored;
      std::filesystem::remove(*recoveryPath_, ignored);
      recoveryPath_.reset();
    }
  });
}

void MainWindow::onLoadDumpClicked() {
  guarded([this] {
    if (!mayReplaceDump()) return;
    const std::optional<QString> chosen = prompts_.openFileName(tr(kOpenFilter), lastOpenName_);
    if (!chosen) return;
    lastOpenName_ = *chosen;
    // Replaces the dump only once the whole file was read.
    loadDumpFile(fileNameForCore(*chosen), dump_);
    dumpFile_ = *chosen;
    const QDate changed = QFileInfo(*chosen).lastModified().date();
    dumpDay_ = CalendarDate{changed.year(), changed.month(), changed.day()};
    downloadUnsaved_ = false;
  });
}

void MainWindow::onExportClicked() {
  guarded([this] {
    if (const std::optional<QString> target = chooseSaveTarget())
      exportSpreadsheetFile(dump_, systemDecimalSeparator(), fileNameForCore(*target));
  });
}

void MainWindow::onChartClicked() {
  guarded([this] {
    if (chart_) chart_(dump_, systemDecimalSeparator(), dumpFile_);
  });
}

}  // namespace kq
