#pragma once

#include <QString>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/qt_main_thread.h"
#include "dump/dump.h"
#include "library/record_moment.h"
#include "link/download_session.h"
#include "serial/serial_line.h"

class QComboBox;
class QLabel;

namespace kq {

class BigButton;
class Gauge;
class Lamp;
class LibraryWindow;
class Prompts;
class RecoveryFile;
class Trace;

// The main window: port selector, link and download switches, the file,
// export and chart buttons, the library's two buttons, status line, response
// lamp and progress gauge.
// It holds the dump in use (downloaded or loaded) and the download session,
// and never lets a downloaded dump go unsaved without asking. Controls carry
// their role as object name.
class MainWindow : public QWidget, private DownloadObserver {
  Q_OBJECT

 public:
  // Fills and shows the chart window from a dump and the file it was last
  // loaded from or saved to (empty for a download not saved); may throw
  // ConversionError.
  using ChartCall = std::function<void(const Dump& dump, char decimalSeparator, const QString& file)>;

  // Without prompts the window asks through the toolkit's own dialogs.
  explicit MainWindow(Prompts* prompts = nullptr, QWidget* parent = nullptr, SessionTiming timing = {});
  ~MainWindow() override;

  void setChart(ChartCall chart) { chart_ = std::move(chart); }
  // The library window that "Библиотека" shows and "Добавить в библиотеку…"
  // adds the dump to; it must outlive this window's use of it.
  void setLibrary(LibraryWindow* library) { library_ = library; }
  // Records every exchange with the device in `path` from now on; throws
  // std::runtime_error naming the file when it cannot be written.
  void traceTo(const std::string& path);

  const Dump& dump() const { return dump_; }
  const DownloadSession& session() const { return session_; }
  SerialLine& line() { return line_; }
  // The running or last download's copy on disk, if one could be made.
  const std::optional<std::string>& recoveryPath() const { return recoveryPath_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void placeControls();
  // Runs a handler; any error it raises ends it and is shown in the error box.
  void guarded(const std::function<void()>& handler);
  // True when nothing unsaved is in the way, or the user agreed to drop it.
  bool mayReplaceDump();

  void onLinkSwitchToggled();
  void onDownloadSwitchToggled();
  void onExportClicked();
  void onSaveDumpClicked();
  void onLoadDumpClicked();
  void onChartClicked();
  void onLibraryClicked();
  void onAddToLibraryClicked();

  // The save dialog's name with ".txt" appended, once the user has agreed to
  // replace an existing file of that name; nothing when cancelled.
  std::optional<QString> chooseSaveTarget();

  // The download session's reports.
  void progressChanged(int percent) override;
  void indicatorLit() override;
  void linked() override;
  void downloadStarted() override;
  void lineAdded(const std::string& line) override;
  void downloadDone() override;
  void lineFailed(const std::string& message) override;
  void stalled(int block) override;
  void blockUnreadable(int block) override;
  // Both switches off, the port closed, "Связь с БК потеряна"; gauge and lines stay.
  void showLinkLost(const QString& message);
  void closeRecoveryCopy();

  std::unique_ptr<Prompts> ownPrompts_;
  Prompts& prompts_;
  ChartCall chart_;
  LibraryWindow* library_ = nullptr;
  QString dumpFile_;
  // The day the dump's records were dated by: a download's, or the loaded file's last change.
  std::optional<CalendarDate> dumpDay_;
  const SessionTiming timing_;

  QLabel* const portLabel_;
  QComboBox* const portSelector_;
  BigButton* const linkSwitch_;
  BigButton* const downloadSwitch_;
  BigButton* const exportButton_;
  BigButton* const saveDumpButton_;
  BigButton* const loadDumpButton_;
  BigButton* const chartButton_;
  BigButton* const libraryButton_;
  BigButton* const addToLibraryButton_;
  QLabel* const statusLine_;
  Lamp* const responseLamp_;
  Gauge* const progressGauge_;

  Dump dump_;
  // The dump holds downloaded lines that were not saved since.
  bool downloadUnsaved_ = false;
  std::unique_ptr<RecoveryFile> recovery_;
  std::optional<std::string> recoveryPath_;
  QString lastSaveName_;
  QString lastOpenName_;
  std::unique_ptr<Trace> trace_;

  // Declared last: the session closes the port, and its threads stop, before
  // the line, the hand-over and the controls go away.
  QtMainThread mainThread_;
  SerialLine line_{mainThread_};
  DownloadSession session_;
};

}  // namespace kq
