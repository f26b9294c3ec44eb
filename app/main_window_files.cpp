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
  const std::optional<QString> chosen = prompts_.saveFileName(kSaveFilter, SaveDialog1FileName);
  if (!chosen) return std::nullopt;
  SaveDialog1FileName = *chosen;
  // Always appended, also to a name that already ends in ".txt"; the dialog
  // never saw this final name, so replacing an existing file is asked here.
  const QString target = *chosen + QStringLiteral(".txt");
  if (QFileInfo::exists(target) &&
      !prompts_.confirm(QStringLiteral("Файл «%1» уже существует. Заменить его?").arg(target)))
    return std::nullopt;
  return target;
}

void MainWindow::Button4Click() {
  guarded([this] {
    if (const std::optional<QString> target = chooseSaveTarget()) saveDumpFile(nativePath(*target), Memo2);
  });
}

void MainWindow::BigButton5Click() {
  guarded([this] {
    const std::optional<QString> chosen = prompts_.openFileName(kOpenFilter, OpenDialog1FileName);
    if (!chosen) return;
    OpenDialog1FileName = *chosen;
    // Replaces the dump only once the whole file was read.
    loadDumpFile(nativePath(*chosen), Memo2);
  });
}

void MainWindow::BigButton1Click() {
  guarded([this] {
    const std::optional<QString> target = chooseSaveTarget();
    if (!target) return;
    // The frame log doubles as the export's buffer: it keeps the lines made
    // before a failure, and the file is written only after a complete pass.
    Memo3.clear();
    exportRows(Memo2, decimalSeparator(), [this](std::string_view line) { Memo3.emplace_back(line); });
    writeFileSafely(nativePath(*target), encodeSpreadsheetFile(Memo3));
  });
}

void MainWindow::BigButton6Click() {
  guarded([this] {
    if (chart_) chart_(Memo2, decimalSeparator());
  });
}

}  // namespace kq
