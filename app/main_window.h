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
// hosts the download engine. Every control keeps its component name as its
// object name.
class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // Fills and shows the chart window from a dump; may throw ConversionError.
  using ChartCall = std::function<void(const Dump& dump, char decimalSeparator)>;

  // Without prompts the window asks through the toolkit's own dialogs.
  explicit MainWindow(Prompts* prompts = nullptr, QWidget* parent = nullptr);
  ~MainWindow() override;

  void setChart(ChartCall chart) { chart_ = std::move(chart); }

  const Dump& dump() const { return Memo2; }
  const std::vector<std::string>& frameLog() const { return Memo3; }
  const DownloadProtocol& protocol() const { return protocol_; }
  SerialChannel& channel() { return SerialChannel1; }

 private:
  void placeControls();
  // Runs a handler; any error it raises ends it and is shown in the error box.
  void guarded(const std::function<void()>& handler);

  void BigButton4Click();
  void BigButton3Click();
  void BigButton1Click();
  void Button4Click();
  void BigButton5Click();
  void BigButton6Click();
  void SerialChannel1RxChar(SerialChannel& sender, std::size_t count);
  void SerialChannel1Error(const std::string& message);
  void Timer1Timer();

  // The save dialog's name with ".txt" appended, once the user has agreed to
  // replace an existing file of that name; nothing when cancelled.
  std::optional<QString> chooseSaveTarget();

  std::unique_ptr<Prompts> ownPrompts_;
  Prompts& prompts_;
  ChartCall chart_;

  // The controls exist before the engine's host, which refers to them.
  QLabel* const Label1;
  QComboBox* const ComboBox1;
  BigButton* const BigButton4;
  BigButton* const BigButton3;
  BigButton* const BigButton1;
  BigButton* const BigButton2;
  BigButton* const BigButton5;
  BigButton* const BigButton6;
  QLabel* const Label2;
  Lamp* const Led1;
  Gauge* const ProgressBar1;

  std::vector<std::string> Memo1;  // reply log
  Dump Memo2;                      // the dump
  std::vector<std::string> Memo3;  // frame log, and the export's buffer
  QTimer Timer1{this};
  QString SaveDialog1FileName;
  QString OpenDialog1FileName;

  // The channel is declared last so that it closes, and its threads stop,
  // before the engine, its host and the main-thread hand-over go away.
  QtMainThread mainThread_;
  WindowHost host_;
  DownloadProtocol protocol_;
  SerialChannel SerialChannel1;
};

}  // namespace kq
