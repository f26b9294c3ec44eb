// The main window's file side: dump save and load, spreadsheet export, chart.
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include "app/main_window.h"
#include "app/prompts.h"
#include "dump/dump_file.h"
#include "dump/safe_file.h"
#include "export/spreadsheet_export.h"

namespace kq {
namespace {

const QString kSaveFilter = QStringLiteral("Текстовой файл (*.txt)");
const QString kOpenFilter = QStringLiteral("Текстовый файл (*.txt)");

std::string nativePath(const QString& name) { return QFile::encodeName(name).toStdString(); }

char decimalSeparator() {
  const QString point = QLocale::system().decimalPoint();
  return point.size() == 1 && point[0].unicode() < 0x80 ? static_cast<char>(point[0].unicode()) : '.';
}

}  // namespace

std::optional<QString> MainWindow::chooseSaveTarget() {
  const std::optional<QString> chosen = prompts_.saveFileName(kSaveFilter, lastSaveName_);
  if (!chosen) return std::nullopt;
  lastSaveName_ = *chosen;
  // Always appended, also to a name that already ends in ".txt"; the dialog
  // never saw this final name, so replacing an existing file is asked here.
  const QString target = *chosen + QStringLiteral(".txt");
  if (QFileInfo::exists(target) &&
      !prompts_.confirm(QStringLiteral("Файл «%1» уже существует. Заменить его?").arg(target)))
    return std::nullopt;
  return target;
}

void MainWindow::onSaveDumpClicked() {
  guarded([this] {
    if (const std::optional<QString> target = chooseSaveTarget()) saveDumpFile(nativePath(*target), dump_);
  });
}

void MainWindow::onLoadDumpClicked() {
  guarded([this] {
    const std::optional<QString> chosen = prompts_.openFileName(kOpenFilter, lastOpenName_);
    if (!chosen) return;
    lastOpenName_ = *chosen;
    // Replaces the dump only once the whole file was read.
    loadDumpFile(nativePath(*chosen), dump_);
  });
}

void MainWindow::onExportClicked() {
  guarded([this] {
    const std::optional<QString> target = chooseSaveTarget();
    if (!target) return;
    // The frame log doubles as the export's buffer: it keeps the lines made
    // before a failure, and the file is written only after a complete pass.
    frameLog_.clear();
    exportRows(dump_, decimalSeparator(), [this](std::string_view line) { frameLog_.emplace_back(line); });
    writeFileSafely(nativePath(*target), encodeSpreadsheetFile(frameLog_));
  });
}

void MainWindow::onChartClicked() {
  guarded([this] {
    if (chart_) chart_(dump_, decimalSeparator());
  });
}

}  // namespace kq
