#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <iterator>
#include <string>

#include "app/main_window.h"
#include "fake_prompts.h"
#include "ui/big_button.h"
#include "ui/gauge.h"
#include "ui/lamp.h"

namespace kq {

// The real main window, shown off screen, with prompts the test answers and
// a scratch folder for files.
class WindowTest : public testing::Test {
 protected:
  explicit WindowTest(SessionTiming timing = {}) : window(&prompts, nullptr, timing) {
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  BigButton* button(const char* name) { return window.findChild<BigButton*>(QString::fromLatin1(name)); }
  void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
  QString status() { return window.findChild<QLabel*>(QStringLiteral("statusLine"))->text(); }
  int progress() { return window.findChild<Gauge*>(QStringLiteral("progressGauge"))->value(); }
  bool lampLit() { return window.findChild<Lamp*>(QStringLiteral("responseLamp"))->isLit(); }
  void choosePort(const QString& name) {
    window.findChild<QComboBox*>(QStringLiteral("portSelector"))->setEditText(name);
  }

  // Runs the event loop until the condition holds or the time is up. Unlike
  // QTest::qWaitFor it never sleeps between events, so a download runs at
  // the pace it has in the program.
  template <typename Condition>
  static bool waitUntil(Condition condition, int milliseconds) {
    if (condition()) return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (condition()) loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    return condition();
  }

  QString path(const QString& name) const { return dir.filePath(name); }
  // Through the toolkit: the temporary folder is named after the program, in
  // Cyrillic, which a narrow file name cannot hold on Windows.
  static std::string readFile(const QString& name) {
    QFile in(name);
    return in.open(QIODevice::ReadOnly) ? in.readAll().toStdString() : std::string();
  }
  static void writeFile(const QString& name, const std::string& content) {
    QFile out(name);
    if (out.open(QIODevice::WriteOnly)) out.write(content.data(), qint64(content.size()));
  }
  // Loads a dump through the window's own load button.
  void loadThroughWindow(const std::string& content) {
    const QString file = path(QStringLiteral("source.txt"));
    writeFile(file, content);
    prompts.openAnswers.push_back(file);
    click("loadDumpButton");
  }

  QTemporaryDir dir;
  FakePrompts prompts;
  MainWindow window;
};

}  // namespace kq
