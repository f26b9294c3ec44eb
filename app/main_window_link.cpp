// The main window's link side: the two switches and what the download session
// reports.
#include <QComboBox>
#include <QLabel>
#include <cstdio>
#include <ctime>

#include "app/main_window.h"
#include "app/prompts.h"
#include "base/file_error.h"
#include "base/state_folder.h"
#include "dump/block_layout.h"
#include "dump/recovery_file.h"
#include "link/trace.h"
#include "ui/big_button.h"
#include "ui/gauge.h"
#include "ui/lamp.h"

namespace kq {
namespace {

// Recovery copies kept in the state folder; older ones go.
constexpr std::size_t kRecoveryCopiesKept = 10;

QString blockName(int block) { return QString::fromStdString(layout::blockNumberText(block)); }

QString receivedSoFar(std::size_t lines) {
  if (lines == 0) return MainWindow::tr("Ни один блок не получен.");
  return MainWindow::tr("Получено блоков: %1 из %2; их можно сохранить в файл.")
      .arg(lines)
      .arg(layout::kBlockCount);
}

}  // namespace

void MainWindow::onLinkSwitchToggled() {
  guarded([this] {
    if (linkSwitch_->isChecked()) {
      session_.link(portSelector_->currentText().toStdString());
      statusLine_->setText(tr("Установка связи с БК"));
    } else {
      session_.unlink();
      progressGauge_->setValue(0);
      statusLine_->clear();
    }
  });
}

void MainWindow::onDownloadSwitchToggled() {
  // Switching the download off by hand leaves a running download going.
  if (!downloadSwitch_->isChecked()) return;
  if (!mayReplaceDump()) {
    downloadSwitch_->release();
    return;
  }
  guarded([this] { session_.startDownload(); });
}

void MainWindow::traceTo(const std::string& path) {
  trace_ = std::make_unique<Trace>(path, Trace::Clock::now());
  session_.setTrace(trace_.get());
}

void MainWindow::progressChanged(int percent) { progressGauge_->setValue(percent); }

void MainWindow::indicatorLit() { responseLamp_->setLit(true); }

void MainWindow::linked() { statusLine_->setText(tr("Связь с БК установлена")); }

void MainWindow::downloadStarted() {
  statusLine_->setText(tr("Скачивание данных из БК"));
  closeRecoveryCopy();
  dump_.clear();
  dumpFile_.clear();
  // Every record was written before the download began.
  dumpDay_ = localDate(std::time(nullptr));
  downloadUnsaved_ = false;
  const std::filesystem::path folder = userStateFolder();
  if (folder.empty()) return;
  try {
    RecoveryFile::pruneOld(folder, kRecoveryCopiesKept - 1);
    recovery_ = std::make_unique<RecoveryFile>(RecoveryFile::newPath(folder));
    recoveryPath_ = recovery_->path().string();
  } catch (const FileError& error) {
    // The download itself matters more; it goes on without a copy.
    std::fprintf(stderr, "kq-unloader: no recovery copy: %s\n", error.what());
  }
}

void MainWindow::lineAdded(const std::string& line) {
  dump_.append(line);
  downloadUnsaved_ = true;
  if (!recovery_) return;
  try {
    recovery_->append(dump_.lines().back());
  } catch (const FileError& error) {
    std::fprintf(stderr, "kq-unloader: recovery copy stopped: %s\n", error.what());
    recovery_.reset();
  }
}

void MainWindow::downloadDone() {
  downloadSwitch_->release();
  statusLine_->setText(tr("Завершено скачивание данных из БК"));
  closeRecoveryCopy();
}

void MainWindow::lineFailed(const std::string& message) { showLinkLost(QString::fromStdString(message)); }

void MainWindow::stalled(int block) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timing_.stallAfter).count();
  showLinkLost(
      tr("Загрузка остановлена: БК не прислал блок %1 за %2 с. ").arg(blockName(block)).arg(seconds) +
      receivedSoFar(dump_.size()));
}

void MainWindow::blockUnreadable(int block) {
  showLinkLost(tr("Загрузка остановлена: блок %1 не удалось получить без искажений, сколько бы раз "
                  "его ни запрашивали. ")
                   .arg(blockName(block)) +
               receivedSoFar(dump_.size()));
}

void MainWindow::showLinkLost(const QString& message) {
  closeRecoveryCopy();
  linkSwitch_->release();
  downloadSwitch_->release();
  statusLine_->setText(tr("Связь с БК потеряна"));
  prompts_.showError(message);
}

void MainWindow::closeRecoveryCopy() {
  if (!recovery_) return;
  try {
    recovery_->sync();
  } catch (const FileError& error) {
    std::fprintf(stderr, "kq-unloader: recovery copy: %s\n", error.what());
  }
  recovery_.reset();
}

}  // namespace kq
