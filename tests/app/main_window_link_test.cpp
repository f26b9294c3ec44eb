#include <QFileInfo>
#include <QSignalSpy>
#include <ctime>
#include <filesystem>

#include "app/library_window.h"
#include "chart/chart_window.h"
#include "library/record_moment.h"
#include "sim/simulated_device.h"
#include "window_fixture.h"

namespace kq {
namespace {

using namespace std::chrono_literals;

constexpr int kPatience = 60000;  // ms; a stuck link fails the test instead of hanging it

class WindowLink : public WindowTest {
 protected:
  explicit WindowLink(SessionTiming timing = {.stallAfter = 1s}) : WindowTest(timing) {
    window.line().setClosePause(0ms);
    // Recovery copies go to the scratch folder.
    qputenv("XDG_STATE_HOME", dir.path().toLocal8Bit());
  }

  // Types the device's path into the selector and switches the boot loader on.
  void linkWith(const std::string& devicePath) {
    choosePort(QString::fromStdString(devicePath));
    click("linkSwitch");
    ASSERT_TRUE(prompts.errors.empty()) << prompts.errors[0].toStdString();
    EXPECT_EQ(status(), QStringLiteral("Установка связи с БК"));
    ASSERT_TRUE(waitUntil([&] { return status() == QStringLiteral("Связь с БК установлена"); }, kPatience));
  }

  // Links with a device and downloads until `lines` lines are in or the download ends.
  void downloadFrom(const sim::SimulatedDevice& device, std::size_t lines = layout::kBlockCount) {
    linkWith(device.devicePath());
    click("downloadSwitch");
    ASSERT_TRUE(waitUntil([&] { return window.dump().size() >= lines || !window.session().downloading(); },
                          kPatience));
  }

  void expectUnlinked() {
    EXPECT_FALSE(button("linkSwitch")->isChecked());
    EXPECT_FALSE(button("downloadSwitch")->isChecked());
    EXPECT_FALSE(window.session().isOpen());
    EXPECT_EQ(status(), QStringLiteral("Связь с БК потеряна"));
  }

  static std::vector<std::string> firstLines(const sim::Memory& memory, std::size_t count) {
    std::vector<std::string> lines = sim::memoryDumpLines(memory);
    lines.resize(count);
    return lines;
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
  ASSERT_TRUE(waitUntil([&] { return window.session().linkState() == LinkState::downloadDone; }, kPatience))
      << window.dump().size() << " blocks received";

  EXPECT_EQ(status(), QStringLiteral("Завершено скачивание данных из БК"));
  EXPECT_EQ(progress(), 100);
  ASSERT_GE(progressSteps.count(), 2);
  EXPECT_EQ(progressSteps.first().at(0).toInt(), 6);
  EXPECT_EQ(progressSteps.last().at(0).toInt(), 100);
  EXPECT_FALSE(button("downloadSwitch")->isChecked());
  EXPECT_EQ(button("downloadSwitch")->text(), QStringLiteral("Старт загрузки данных из БК"));
  EXPECT_EQ(downloadClicks.count(), 1);  // released without the handler
  EXPECT_TRUE(lampLit());
  EXPECT_FALSE(window.session().downloading());
  EXPECT_EQ(window.dump().lines(), sim::memoryDumpLines(memory));
  EXPECT_TRUE(prompts.errors.empty());

  // The recovery copy holds the whole download.
  ASSERT_TRUE(window.recoveryPath());
  EXPECT_EQ(readFile(QString::fromStdString(*window.recoveryPath())), window.dump().text());
}

TEST_F(WindowLink, ADownloadAddedToTheLibraryIsDatedByTheDayItWasMade) {
  ChartWindow chart;
  LibraryWindow library(chart, &prompts);
  library.setLocation(path(QStringLiteral("library.sqlite")));
  window.setLibrary(&library);
  sim::SimulatedDevice device(sim::syntheticMemory(6, 2000), {.baud = 0});
  device.start();
  const CalendarDate before = localDate(std::time(nullptr));
  downloadFrom(device);
  const CalendarDate after = localDate(std::time(nullptr));
  ASSERT_EQ(window.session().linkState(), LinkState::downloadDone);

  prompts.choiceAnswers.push_back(QStringLiteral("Нива"));
  click("addToLibraryButton");
  ASSERT_TRUE(prompts.errors.empty()) << prompts.errors[0].toStdString();
  EXPECT_EQ(status(), QStringLiteral("2 000 новых записей из 2 000"));
  const std::vector<ImportInfo> imports = library.store()->imports(library.store()->findCar("Нива")->id);
  ASSERT_EQ(imports.size(), 1u);
  EXPECT_TRUE(imports[0].fileName.empty());
  EXPECT_TRUE(imports[0].reference == before || imports[0].reference == after);
}

// At its own stall time, which a busy machine's hiccups on a paced line never reach.
class WindowLinkAsShipped : public WindowLink {
 protected:
  WindowLinkAsShipped() : WindowLink(SessionTiming{}) {}
};

// What the window's session learned of one line must not hold up the next.
TEST_F(WindowLinkAsShipped, AFastDeviceThenASlowOneOnAnotherPortBothDownloadExactly) {
  const sim::Memory memory = sim::syntheticMemory(6, 7680);
  sim::SimulatedDevice fast(memory, {.baud = 0});
  fast.start();
  downloadFrom(fast);
  ASSERT_EQ(window.dump().lines(), sim::memoryDumpLines(memory));
  click("linkSwitch");

  const sim::Memory other = sim::syntheticMemory(2, 7680);
  sim::SimulatedDevice slow(other, {.baud = 38400, .usbPacket = 62, .usbLatency = 16ms});
  slow.start();
  prompts.confirmAnswers.push_back(true);  // the first download was not saved
  downloadFrom(slow, 24);
  ASSERT_TRUE(prompts.errors.empty()) << prompts.errors[0].toStdString();
  ASSERT_GE(window.dump().size(), 24u);
  EXPECT_EQ(window.dump().lines(), firstLines(other, window.dump().size()));
  EXPECT_EQ(status(), QStringLiteral("Скачивание данных из БК"));
}

TEST_F(WindowLink, DownloadWithThePortClosedStallsWithAMessage) {
  click("downloadSwitch");
  EXPECT_EQ(status(), QStringLiteral("Скачивание данных из БК"));
  EXPECT_EQ(progress(), 0);
  EXPECT_TRUE(lampLit());
  EXPECT_TRUE(button("downloadSwitch")->isChecked());
  ASSERT_TRUE(waitUntil([&] { return !prompts.errors.empty(); }, kPatience));
  EXPECT_EQ(prompts.errors[0], QStringLiteral("Загрузка остановлена: БК не прислал блок 0100 за 1 с. "
                                              "Ни один блок не получен."));
  expectUnlinked();
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

TEST_F(WindowLink, BootLoaderOffMidDownloadEmptiesStatusAndGaugeAndKeepsTheLines) {
  const sim::Memory memory = sim::syntheticMemory(2, 7680);
  sim::SimulatedDevice device(memory, {.baud = 38400});
  device.start();
  downloadFrom(device, 3);

  click("linkSwitch");
  EXPECT_FALSE(window.session().isOpen());
  EXPECT_FALSE(window.session().downloading());
  EXPECT_TRUE(status().isEmpty());
  EXPECT_EQ(progress(), 0);
  EXPECT_TRUE(button("downloadSwitch")->isChecked());
  const std::size_t kept = window.dump().size();
  EXPECT_EQ(window.dump().lines(), firstLines(memory, kept));
  QTest::qWait(300);
  EXPECT_TRUE(prompts.errors.empty());
  EXPECT_EQ(window.dump().size(), kept);
}

TEST_F(WindowLink, DeviceLostOrStalledReturnsToTheUnlinkedStateAndTheBlocksCanBeSaved) {
  const sim::Memory memory = sim::syntheticMemory(7, 7680);
  const struct {
    sim::DeviceOptions options;
    QString message;
  } cases[] = {{{.baud = 0, .hangupAfter = 40}, QStringLiteral("Specified device was disconnected")},
               {{.baud = 0, .restartAfter = 40}, QStringLiteral("Загрузка остановлена:")}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message.toStdString());
    sim::SimulatedDevice device(memory, c.options);
    device.start();
    prompts.errors.clear();
    downloadFrom(device);

    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_TRUE(prompts.errors[0].startsWith(c.message)) << prompts.errors[0].toStdString();
    expectUnlinked();
    EXPECT_EQ(window.dump().lines(), firstLines(memory, 40));

    prompts.saveAnswers.push_back(path(QStringLiteral("partial")));
    if (QFileInfo::exists(path(QStringLiteral("partial.txt")))) prompts.confirmAnswers.push_back(true);
    click("saveDumpButton");
    EXPECT_EQ(readFile(path(QStringLiteral("partial.txt"))).size(), 40u * 775);
  }
}

TEST_F(WindowLink, AnUnsavedDownloadIsDroppedOnlyAfterAYes) {
  const sim::Memory memory = sim::syntheticMemory(3, 7680);
  sim::SimulatedDevice device(memory, {.baud = 0, .hangupAfter = 20});
  device.start();
  downloadFrom(device);
  ASSERT_EQ(window.dump().size(), 20u);
  const std::string recovery = *window.recoveryPath();
  const QString question =
      QStringLiteral("Данные, полученные из БК, не сохранены. Продолжить без сохранения?");

  // No: nothing changes, whatever was about to replace the lines.
  const QString other = path(QStringLiteral("other.txt"));
  writeFile(other, "AA BB\r\n");
  prompts.confirmAnswers = {false, false, false};
  click("loadDumpButton");
  click("downloadSwitch");
  EXPECT_FALSE(button("downloadSwitch")->isChecked());
  window.close();
  EXPECT_TRUE(window.isVisible());
  ASSERT_EQ(prompts.questions.size(), 3u);
  for (const QString& asked : prompts.questions) EXPECT_EQ(asked, question);
  EXPECT_EQ(window.dump().lines(), firstLines(memory, 20));

  // Saved: no more questions, and the recovery copy has done its work.
  EXPECT_TRUE(std::filesystem::exists(recovery));
  prompts.confirmAnswers.clear();
  prompts.saveAnswers.push_back(path(QStringLiteral("saved")));
  click("saveDumpButton");
  EXPECT_FALSE(std::filesystem::exists(recovery));
  prompts.openAnswers.push_back(other);
  click("loadDumpButton");
  EXPECT_EQ(window.dump().lines(), std::vector<std::string>{"AA BB"});
  EXPECT_EQ(prompts.questions.size(), 3u);
}

}  // namespace
}  // namespace kq
