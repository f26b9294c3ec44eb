#include "app/main_window.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <algorithm>
#include <array>
#include <exception>

#include "app/qt_prompts.h"
#include "ui/big_button.h"
#include "ui/error_box.h"
#include "ui/gauge.h"
#include "ui/lamp.h"
#include "ui/port_selector.h"

namespace kq {
namespace {

constexpr int kClientWidth = 360;
constexpr int kClientHeight = 353;
constexpr std::chrono::milliseconds kReadTimeout{500};
constexpr std::size_t kChunkSize = DownloadProtocol::kBufferSize;

// The window font: the system's sans serif at the size of the classic 8-point
// dialog font.
QFont windowFont() {
  QFont font = QGuiApplication::font();
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  return font;
}

}  // namespace

MainWindow::MainWindow(Prompts* prompts, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      ownPrompts_(prompts ? nullptr : std::make_unique<QtPrompts>(this)),
      prompts_(prompts ? *prompts : *ownPrompts_),
      Label1(new QLabel(QStringLiteral("Выбор порта"), this)),
      ComboBox1(new PortSelector(this)),
      BigButton4(
          new BigButton(QStringLiteral("Старт BootLoader"), QStringLiteral("BootLoader запущен"), this)),
      BigButton3(new BigButton(QStringLiteral("Старт загрузки данных из БК"),
                               QStringLiteral("Загрузка данных из БК запущена"), this)),
      BigButton1(new BigButton(QStringLiteral("Сохранение данных для EXCEL"), this)),
      BigButton2(new BigButton(QStringLiteral("Сохранение полученных данных в файл"), this)),
      BigButton5(new BigButton(QStringLiteral("Чтение данных из файла"), this)),
      BigButton6(new BigButton(QStringLiteral("Вызов окна графика"), this)),
      Label2(new QLabel(this)),
      Led1(new Lamp(QStringLiteral("Отклик от БК"), this)),
      ProgressBar1(new Gauge(this)),
      host_({SerialChannel1, *Label2, *ProgressBar1, *Led1, *BigButton3, Memo2, Memo3, Memo1, Timer1}),
      protocol_(host_),
      SerialChannel1(mainThread_) {
  // No creation handler is needed: the engine is built waiting for the sync byte.
  setObjectName(QStringLiteral("Form1"));
  setFont(windowFont());
  setWindowTitle(applicationTitle());
  placeControls();

  Timer1.setObjectName(QStringLiteral("Timer1"));
  Timer1.setInterval(DownloadProtocol::kRetryMilliseconds);
  Timer1.setTimerType(Qt::PreciseTimer);
  connect(&Timer1, &QTimer::timeout, this, &MainWindow::Timer1Timer);

  SerialChannel1.setReadTimeout(kReadTimeout);
  SerialChannel1.setOnRxChar(
      [this](SerialChannel& sender, std::size_t count) { SerialChannel1RxChar(sender, count); });
  SerialChannel1.setOnError(
      [this](SerialChannel&, const std::string& message) { SerialChannel1Error(message); });

  connect(BigButton4, &BigButton::clicked, this, &MainWindow::BigButton4Click);
  connect(BigButton3, &BigButton::clicked, this, &MainWindow::BigButton3Click);
  connect(BigButton1, &BigButton::clicked, this, &MainWindow::BigButton1Click);
  connect(BigButton2, &BigButton::clicked, this, &MainWindow::Button4Click);
  connect(BigButton5, &BigButton::clicked, this, &MainWindow::BigButton5Click);
  connect(BigButton6, &BigButton::clicked, this, &MainWindow::BigButton6Click);
}

// The channel member closes the port on its own; nothing else to release.
MainWindow::~MainWindow() = default;

void MainWindow::placeControls() {
  setFixedSize(kClientWidth, kClientHeight);

  const auto place = [](QWidget* w, const char* name, int left, int top, int width, int height) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(left, top, width, height);
  };
  place(Label1, "Label1", 136, 8, 76, 22);
  Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  place(ComboBox1, "ComboBox1", 216, 8, 129, 22);
  ComboBox1->setEditable(true);
  ComboBox1->setInsertPolicy(QComboBox::NoInsert);
  place(BigButton4, "BigButton4", 8, 32, 345, 33);
  place(BigButton3, "BigButton3", 10, 72, 345, 33);
  place(BigButton1, "BigButton1", 10, 112, 345, 33);
  place(BigButton2, "BigButton2", 10, 152, 345, 33);
  place(BigButton5, "BigButton5", 10, 192, 345, 33);
  place(BigButton6, "BigButton6", 10, 232, 345, 33);
  place(Label2, "Label2", 8, 272, 345, 25);
  Label2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  place(Led1, "Led1", 248, 304, 113, 25);
  place(ProgressBar1, "ProgressBar1", 0, 328, kClientWidth, 25);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect desktop = screen->availableGeometry();
    move(desktop.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
  }
}

void MainWindow::guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    prompts_.showError(QString::fromUtf8(error.what()));
  }
}

void MainWindow::BigButton4Click() {
  guarded([this] {
    if (BigButton4->isChecked()) {
      SerialChannel1.setDeviceName(ComboBox1->currentText().toStdString());
      SerialChannel1.OpenPort();
      SerialChannel1.SetDtrLine(false);
      protocol_.BeginLink();
    } else {
      SerialChannel1.ClosePort();
      ProgressBar1->setValue(0);
      Label2->clear();
    }
  });
}

void MainWindow::BigButton3Click() {
  // Switching the download off by hand leaves a running download going.
  if (BigButton3->isChecked()) guarded([this] { protocol_.StartDownload(); });
}

void MainWindow::SerialChannel1RxChar(SerialChannel& sender, std::size_t count) {
  guarded([&] {
    // Never more than the engine's block buffer at once; the engine gets only
    // what the reads actually returned.
    std::array<std::uint8_t, kChunkSize> buffer;
    while (count > 0) {
      const std::size_t read = sender.ReadBytes(std::span(buffer).first(std::min(count, kChunkSize)));
      if (read == 0) return;
      protocol_.ReceiveChunk(std::span(buffer).first(read));
      count -= std::min(read, count);
    }
  });
}

void MainWindow::SerialChannel1Error(const std::string& message) {
  prompts_.showError(QString::fromStdString(message));
}

void MainWindow::Timer1Timer() {
  guarded([this] { protocol_.RetryTick(); });
}

}  // namespace kq
