#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/qt_main_thread.h"
#include "app/window_host.h"
#include "dump/dump.h"
#include "link/download_protocol.h"
#include "link/serial_channel.h"

class QComboBox;
class QLabel;

namespace kq {

class BigButton;
class Gauge;
class Lamp;
class Prompts;

// The main window: port selector, link and download switches, the file,
// export and chart buttons, status line, response lamp and progress gauge.
// It owns the serial channel, the retry timer, the dump and the two logs, and
// hosts the download engine. Controls carry their role as object name.
class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // Fills and shows the chart window from a dump; may throw ConversionError.
  using ChartCall = std::function<void(const Dump& dump, char decimalSeparator)>;

  // Without prompts the window asks through the toolkit's own dialogs.
  explicit MainWindow(Prompts* prompts = nullptr, QWidget* parent = nullptr);
  ~MainWindow() override;

  void setChart(ChartCall chart) { chart_ = std::move(chart); }

  const Dump& dump() const { return dump_; }
  const std::vector<std::string>& frameLog() const { return frameLog_; }
  const DownloadProtocol& protocol() const { return protocol_; }
  SerialChannel& channel() { return channel_; }

 private:
  void placeControls();
  // Runs a handler; any error it raises ends it and is shown in the error box.
  void guarded(const std::function<void()>& handler);

  void onLinkSwitchToggled();
  void onDownloadSwitchToggled();
  void onExportClicked();
  void onSaveDumpClicked();
  void onLoadDumpClicked();
  void onChartClicked();
  void onBytesWaiting(SerialChannel& sender, std::size_t count);
  void onChannelError(const std::string& message);
  void onRetryTimer();

  // The save dialog's name with ".txt" appended, once the user has agreed to
  // replace an existing file of that name; nothing when cancelled.
  std::optional<QString> chooseSaveTarget();

  std::unique_ptr<Prompts> ownPrompts_;
  Prompts& prompts_;
  ChartCall chart_;

  // The controls exist before the engine's host, which refers to them.
  QLabel* const portLabel_;
  QComboBox* const portSelector_;
  BigButton* const linkSwitch_;
  BigButton* const downloadSwitch_;
  BigButton* const exportButton_;
  BigButton* const saveDumpButton_;
  BigButton* const loadDumpButton_;
  BigButton* const chartButton_;
  QLabel* const statusLine_;
  Lamp* const responseLamp_;
  Gauge* const progressGauge_;

  std::vector<std::string> replyLog_;  // reply log
  Dump dump_;                          // the dump
  std::vector<std::string> frameLog_;  // frame log, and the export's buffer
  QTimer retryTimer_{this};
  QString lastSaveName_;
  QString lastOpenName_;

  // The channel is declared last so that it closes, and its threads stop,
  // before the engine, its host and the main-thread hand-over go away.
  QtMainThread mainThread_;
  WindowHost host_;
  DownloadProtocol protocol_;
  SerialChannel channel_;
};

}  // namespace kq
