// Resident memory of the main window over repeated downloads from the
// simulated device (unpaced): prints the memory after each download, then the
// growth after the first. Run with QT_QPA_PLATFORM=offscreen.
//   window_downloads [DOWNLOADS]     default 50
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "app/main_window.h"
#include "app/prompts.h"
#include "bench/resident_memory.h"
#include "sim/simulated_device.h"
#include "ui/big_button.h"

namespace {

// Says Yes to dropping the last download; nothing else is asked.
class YesPrompts : public kq::Prompts {
 public:
  std::optional<QString> saveFileName(const QString&, const QString&) override { return std::nullopt; }
  std::optional<QString> openFileName(const QString&, const QString&) override { return std::nullopt; }
  std::optional<QString> askText(const QString&, const QString&) override { return std::nullopt; }
  std::optional<QString> chooseItem(const QString&, const QStringList&, bool) override {
    return std::nullopt;
  }
  bool confirm(const QString&) override { return true; }
  void showError(const QString& message) override { std::fprintf(stderr, "%s\n", qPrintable(message)); }
};

bool runUntil(const std::function<bool()>& done) {
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (done()) loop.quit();
  });
  poll.start(5);
  QTimer::singleShot(120000, &loop, &QEventLoop::quit);
  loop.exec();
  return done();
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  const int downloads = argc > 1 ? std::atoi(argv[1]) : 50;
  QTemporaryDir state;
  qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());

  kq::sim::SimulatedDevice device(kq::sim::syntheticMemory(6, kq::sim::kMaxRecords), {.baud = 0});
  device.start();
  YesPrompts prompts;
  kq::MainWindow window(&prompts);
  window.show();
  window.findChild<QComboBox*>(QStringLiteral("portSelector"))
      ->setEditText(QString::fromStdString(device.devicePath()));
  auto* linkSwitch = window.findChild<kq::BigButton*>(QStringLiteral("linkSwitch"));
  auto* downloadSwitch = window.findChild<kq::BigButton*>(QStringLiteral("downloadSwitch"));
  linkSwitch->click();
  if (!runUntil([&] { return window.session().linkState() == kq::LinkState::linked; })) return 1;

  long first = 0;
  for (int i = 1; i <= downloads; ++i) {
    downloadSwitch->click();
    if (!runUntil([&] { return window.session().linkState() == kq::LinkState::downloadDone; })) return 1;
    const long kb = residentKilobytes();
    if (i == 1) first = kb;
    std::printf("download %2d: %ld kB resident\n", i, kb);
  }
  std::printf("growth after the first: %ld kB over %d downloads\n", residentKilobytes() - first,
              downloads - 1);
  return 0;
}
