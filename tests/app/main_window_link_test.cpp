#include <unistd.h>

#include <QSignalSpy>
#include <QThread>
#include <numeric>

#include "sim/pseudo_terminal.h"
#include "sim/simulated_device.h"
#include "window_fixture.h"

namespace kq {
namespace {

using namespace std::chrono_literals;

constexpr int kPatience = 60000;  // ms; a stuck link fails the test instead of hanging it

class WindowLink : public WindowTest {
 protected:
  WindowLink() { window.channel().setClosePause(0ms); }

  // Types the device's path into the selector and switches the boot loader on.
  void linkWith(const std::string& devicePath) {
    choosePort(QString::fromStdString(devicePath));
    click("linkSwitch");
    ASSERT_TRUE(prompts.errors.empty()) << prompts.errors[0].toStdString();
    EXPECT_EQ(status(), QStringLiteral("Установка связи с БК"));
    ASSERT_TRUE(waitUntil([&] { return status() == QStringLiteral("Связь с БК установлена"); }, kPatience));
  }
};

TEST_F(WindowLink, CompleteDownloadFromTheSimulatedDevice) {
  const sim::Memory memory = sim::syntheticMemory(6, 7300);
  sim::SimulatedDevice device(memory, {.baud = 0});
  device.start();

  linkWith(device.devicePath());
  EXPECT_TRUE(lampLit());

  QSignalSpy downloadClicks(button("downloadSwitch"), &BigButton::clicked);
  QSignalSpy progressSteps(window.findChild<Gauge*>(QStringLiteral("progressGauge")), &Gauge::valueChanged);
  click("downloadSwitch");
  EXPECT_EQ(status(), QStringLiteral("Скачивание данных из БК"));
  EXPECT_EQ(button("downloadSwitch")->text(), QStringLiteral("Загрузка данных из БК запущена"));
  ASSERT_TRUE(waitUntil([&] { return window.protocol().linkState() == LinkState::downloadDone; }, kPatience))
      << window.dump().size() << " blocks received";

  EXPECT_EQ(status(), QStringLiteral("Завершено скачивание данных из БК"));
  EXPECT_EQ(progress(), 100);
  ASSERT_GE(progressSteps.count(), 2);
  EXPECT_EQ(progressSteps.first().at(0).toInt(), 6);
  EXPECT_EQ(progressSteps.last().at(0).toInt(), 100);
  EXPECT_FALSE(button("downloadSwitch")->isChecked());
  EXPECT_EQ(button("downloadSwitch")->text(), QStringLiteral("Старт загрузки данных из БК"));
  EXPECT_EQ(downloadClicks.count(), 1);  // the engine released it without the handler
  EXPECT_TRUE(lampLit());
  EXPECT_FALSE(window.findChild<QTimer*>(QStringLiteral("retryTimer"))->isActive());
  EXPECT_EQ(window.dump().size(), 3840u);
  EXPECT_EQ(window.dump().lines(), sim::memoryDumpLines(memory));
  EXPECT_TRUE(prompts.errors.empty());
  EXPECT_GE(window.frameLog().size(), 2u * 3840);
}

TEST_F(WindowLink, DownloadWithThePortClosedShowsItsStatusAndSendsNothing) {
  click("downloadSwitch");
  EXPECT_EQ(status(), QStringLiteral("Скачивание данных из БК"));
  EXPECT_EQ(progress(), 0);
  EXPECT_TRUE(lampLit());
  EXPECT_TRUE(button("downloadSwitch")->isChecked());
  EXPECT_EQ(window.protocol().linkState(), LinkState::downloading);
  EXPECT_FALSE(window.findChild<QTimer*>(QStringLiteral("retryTimer"))->isActive());
  EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(WindowLink, MissingPortShowsTheMessageKeepsTheSwitchOnAndRetriesWhenSwitchedAgain) {
  choosePort(QStringLiteral("/dev/kq-no-such-port"));
  click("linkSwitch");
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_EQ(prompts.errors[0], QStringLiteral("Specified device not found (/dev/kq-no-such-port)."));
  EXPECT_TRUE(button("linkSwitch")->isChecked());
  EXPECT_EQ(button("linkSwitch")->text(), QStringLiteral("BootLoader запущен"));
  EXPECT_TRUE(status().isEmpty());

  sim::SimulatedDevice device(sim::syntheticMemory(1, 100), {.baud = 0});
  device.start();
  click("linkSwitch");
  EXPECT_FALSE(button("linkSwitch")->isChecked());
  prompts.errors.clear();
  linkWith(device.devicePath());
}

TEST_F(WindowLink, BootLoaderOffMidDownloadEmptiesStatusAndGaugeAndKeepsTheDownloadSwitchOn) {
  sim::SimulatedDevice device(sim::syntheticMemory(2, 7680), {.baud = 38400});
  device.start();
  linkWith(device.devicePath());
  click("downloadSwitch");
  ASSERT_TRUE(waitUntil([&] { return window.dump().size() >= 3; }, kPatience));

  click("linkSwitch");
  EXPECT_FALSE(window.channel().isOpen());
  EXPECT_TRUE(status().isEmpty());
  EXPECT_EQ(progress(), 0);
  EXPECT_TRUE(button("downloadSwitch")->isChecked());
  EXPECT_EQ(window.protocol().linkState(), LinkState::downloading);

  // The pending retry writes into the closed port: no message, no more blocks.
  const std::size_t kept = window.dump().size();
  QTest::qWait(400);
  EXPECT_TRUE(prompts.errors.empty());
  EXPECT_EQ(window.dump().size(), kept);
  EXPECT_FALSE(window.findChild<QTimer*>(QStringLiteral("retryTimer"))->isActive());
}

TEST_F(WindowLink, DeviceLostMidDownloadShowsAMessageAndTheBlocksSoFarCanBeSaved) {
  const sim::Memory memory = sim::syntheticMemory(7, 7680);
  sim::SimulatedDevice device(memory, {.baud = 0, .hangupAfter = 40});
  device.start();
  linkWith(device.devicePath());
  click("downloadSwitch");
  ASSERT_TRUE(waitUntil([&] { return !prompts.errors.empty(); }, kPatience));

  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_TRUE(prompts.errors[0].contains(QString::fromStdString(device.devicePath())))
      << prompts.errors[0].toStdString();
  ASSERT_EQ(window.dump().size(), 40u);
  std::vector<std::string> expected = sim::memoryDumpLines(memory);
  expected.resize(40);
  EXPECT_EQ(window.dump().lines(), expected);

  prompts.saveAnswers.push_back(path(QStringLiteral("partial")));
  click("saveDumpButton");
  EXPECT_EQ(readFile(path(QStringLiteral("partial.txt"))).size(), 40u * 775);
  click("linkSwitch");  // switching off after the loss is quiet
  EXPECT_EQ(prompts.errors.size(), 1u);
}

TEST_F(WindowLink, LargeArrivalsReachTheEngineInReadsOfAtMost1024Bytes) {
  sim::PseudoTerminal line;
  choosePort(QString::fromStdString(line.devicePath()));
  click("linkSwitch");
  click("downloadSwitch");
  const std::size_t logged = window.frameLog().size();

  // 3,000 bytes arrive while the window is busy, to be announced in one event.
  std::vector<std::uint8_t> burst(3000);
  std::iota(burst.begin(), burst.end(), 0);
  ASSERT_EQ(::write(line.fd(), burst.data(), burst.size()), 3000);
  QThread::msleep(200);

  std::size_t received = 0;
  std::vector<std::size_t> chunks;
  const auto countReceived = [&] {
    chunks.clear();
    for (std::size_t i = logged; i < window.frameLog().size(); ++i) {
      const std::string& entry = window.frameLog()[i];
      if (entry.rfind(" - > ", 0) == 0) chunks.push_back((entry.size() - 4) / 3);
    }
    received = std::accumulate(chunks.begin(), chunks.end(), std::size_t{0});
    return received >= 3000;
  };
  ASSERT_TRUE(waitUntil(countReceived, kPatience));
  EXPECT_EQ(received, 3000u);
  EXPECT_GE(chunks.size(), 3u);
  for (std::size_t chunk : chunks) EXPECT_LE(chunk, 1024u);
  EXPECT_TRUE(prompts.errors.empty());
}

}  // namespace
}  // namespace kq
