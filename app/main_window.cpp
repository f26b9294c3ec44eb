#include "app/main_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <exception>

#include "app/prompts.h"
#include "app/qt_prompts.h"
#include "dump/recovery_file.h"
#include "link/trace.h"
#include "ui/big_button.h"
#include "ui/error_box.h"
#include "ui/gauge.h"
#include "ui/lamp.h"
#include "ui/port_selector.h"

namespace kq {
namespace {

constexpr int kClientWidth = 360;
constexpr int kClientHeight = 393;

// The window font: the system's sans serif at the size of the classic 8-point
// dialog font.
QFont windowFont() {
  QFont font = QGuiApplication::font();
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  return font;
}

}  // namespace

MainWindow::MainWindow(Prompts* prompts, QWidget* parent, SessionTiming timing)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      ownPrompts_(prompts ? nullptr : std::make_unique<QtPrompts>(this)),
      prompts_(prompts ? *prompts : *ownPrompts_),
      timing_(timing),
      portLabel_(new QLabel(tr("Выбор порта"), this)),
      portSelector_(new PortSelector(this)),
      linkSwitch_(new BigButton(tr("Старт BootLoader"), tr("BootLoader запущен"), this)),
      downloadSwitch_(
          new BigButton(tr("Старт загрузки данных из БК"), tr("Загрузка данных из БК запущена"), this)),
      exportButton_(new BigButton(tr("Сохранение данных для EXCEL"), this)),
      saveDumpButton_(new BigButton(tr("Сохранение полученных данных в файл"), this)),
      loadDumpButton_(new BigButton(tr("Чтение данных из файла"), this)),
      chartButton_(new BigButton(tr("Вызов окна графика"), this)),
      libraryButton_(new BigButton(tr("Библиотека"), this)),
      addToLibraryButton_(new BigButton(tr("Добавить в библиотеку…"), this)),
      statusLine_(new QLabel(this)),
      responseLamp_(new Lamp(tr("Отклик от БК"), this)),
      progressGauge_(new Gauge(this)),
      session_(line_, mainThread_, *this, timing) {
  setObjectName(QStringLiteral("mainWindow"));
  setFont(windowFont());
  setWindowTitle(applicationTitle());
  placeControls();

  connect(linkSwitch_, &BigButton::clicked, this, &MainWindow::onLinkSwitchToggled);
  connect(downloadSwitch_, &BigButton::clicked, this, &MainWindow::onDownloadSwitchToggled);
  connect(exportButton_, &BigButton::clicked, this, &MainWindow::onExportClicked);
  connect(saveDumpButton_, &BigButton::clicked, this, &MainWindow::onSaveDumpClicked);
  connect(loadDumpButton_, &BigButton::clicked, this, &MainWindow::onLoadDumpClicked);
  connect(chartButton_, &BigButton::clicked, this, &MainWindow::onChartClicked);
  connect(libraryButton_, &BigButton::clicked, this, &MainWindow::onLibraryClicked);
  connect(addToLibraryButton_, &BigButton::clicked, this, &MainWindow::onAddToLibraryClicked);
}

// The session closes the port on its own; the recovery copy is flushed by its own.
MainWindow::~MainWindow() = default;

void MainWindow::placeControls() {
  setFixedSize(kClientWidth, kClientHeight);

  const auto place = [](QWidget* w, const char* name, int left, int top, int width, int height) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(left, top, width, height);
  };
  place(portLabel_, "portLabel", 136, 8, 76, 22);
  portLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  place(portSelector_, "portSelector", 216, 8, 129, 22);
  portSelector_->setEditable(true);
  portSelector_->setInsertPolicy(QComboBox::NoInsert);
  place(linkSwitch_, "linkSwitch", 8, 32, 345, 33);
  place(downloadSwitch_, "downloadSwitch", 10, 72, 345, 33);
  place(exportButton_, "exportButton", 10, 112, 345, 33);
  place(saveDumpButton_, "saveDumpButton", 10, 152, 345, 33);
  place(loadDumpButton_, "loadDumpButton", 10, 192, 345, 33);
  place(chartButton_, "chartButton", 10, 232, 345, 33);
  // The library's row, two buttons side by side, the longer caption in the
  // wider; the rows beneath moved down by one.
  place(libraryButton_, "libraryButton", 10, 272, 135, 33);
  place(addToLibraryButton_, "addToLibraryButton", 150, 272, 205, 33);
  place(statusLine_, "statusLine", 8, 312, 345, 25);
  statusLine_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  place(responseLamp_, "responseLamp", 248, 344, 113, 25);
  place(progressGauge_, "progressGauge", 0, 368, kClientWidth, 25);

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

void MainWindow::closeEvent(QCloseEvent* event) {
  if (mayReplaceDump()) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace kq
