#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QTimer>

#include "app/main_window.h"
#include "fake_prompts.h"
#include "ui/big_button.h"
#include "ui/gauge.h"
#include "ui/lamp.h"

namespace kq {
namespace {

TEST(MainWindowLayout, FixedClientAreaTitleAndMinimiseOnly) {
  FakePrompts prompts;
  MainWindow window(&prompts);
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Выгрузчик данных из БК серии KQ"));
  EXPECT_EQ(window.size(), QSize(360, 393));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST(MainWindowLayout, ButtonsStandAtTheirPlacesWithTheirTexts) {
  FakePrompts prompts;
  MainWindow window(&prompts);
  const struct {
    const char* name;
    QRect place;
    const char* text;
    bool isSwitch;
  } buttons[] = {
      {"linkSwitch", {8, 32, 345, 33}, "Старт BootLoader", true},
      {"downloadSwitch", {10, 72, 345, 33}, "Старт загрузки данных из БК", true},
      {"exportButton", {10, 112, 345, 33}, "Сохранение данных для EXCEL", false},
      {"saveDumpButton", {10, 152, 345, 33}, "Сохранение полученных данных в файл", false},
      {"loadDumpButton", {10, 192, 345, 33}, "Чтение данных из файла", false},
      {"chartButton", {10, 232, 345, 33}, "Вызов окна графика", false},
  };
  for (const auto& b : buttons) {
    SCOPED_TRACE(b.name);
    auto* button = window.findChild<BigButton*>(QString::fromLatin1(b.name));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->geometry(), b.place);
    EXPECT_EQ(button->text(), QString::fromUtf8(b.text));
    EXPECT_EQ(button->isSwitch(), b.isSwitch);
    EXPECT_FALSE(button->isChecked());
    EXPECT_TRUE(button->isEnabled());
  }
}

TEST(MainWindowLayout, TheLibraryRowHoldsTwoButtonsSideBySideBelowTheChartButton) {
  FakePrompts prompts;
  MainWindow window(&prompts);
  const QRect chart = window.findChild<BigButton*>(QStringLiteral("chartButton"))->geometry();
  auto* library = window.findChild<BigButton*>(QStringLiteral("libraryButton"));
  auto* add = window.findChild<BigButton*>(QStringLiteral("addToLibraryButton"));
  ASSERT_TRUE(library && add);
  EXPECT_EQ(library->text(), QStringLiteral("Библиотека"));
  EXPECT_EQ(add->text(), QStringLiteral("Добавить в библиотеку…"));
  for (const BigButton* button : {library, add}) {
    EXPECT_FALSE(button->isSwitch());
    EXPECT_GT(button->y(), chart.bottom());
    EXPECT_EQ(button->height(), chart.height());
    EXPECT_LT(button->geometry().bottom(),
              window.findChild<QLabel*>(QStringLiteral("statusLine"))->geometry().top());
  }
  EXPECT_EQ(library->y(), add->y());
  EXPECT_EQ(library->x(), chart.x());
  EXPECT_EQ(add->geometry().right(), chart.right());
  EXPECT_LT(library->geometry().right(), add->x());
}

TEST(MainWindowLayout, StartStateOfSelectorStatusLampGaugeAndLink) {
  FakePrompts prompts;
  MainWindow window(&prompts);

  auto* ports = window.findChild<QComboBox*>(QStringLiteral("portSelector"));
  ASSERT_NE(ports, nullptr);
  EXPECT_EQ(ports->geometry(), QRect(216, 8, 129, 22));
  ASSERT_GE(ports->count(), 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(ports->itemText(i), QStringLiteral("COM%1").arg(i + 1));
  EXPECT_EQ(ports->currentText(), QStringLiteral("COM1"));
  EXPECT_TRUE(ports->isEditable());
  EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("portLabel"))->text(), QStringLiteral("Выбор порта"));

  auto* status = window.findChild<QLabel*>(QStringLiteral("statusLine"));
  EXPECT_EQ(status->geometry(), QRect(8, 312, 345, 25));
  EXPECT_TRUE(status->text().isEmpty());

  auto* lamp = window.findChild<Lamp*>(QStringLiteral("responseLamp"));
  EXPECT_EQ(lamp->geometry(), QRect(248, 344, 113, 25));
  EXPECT_EQ(lamp->caption(), QStringLiteral("Отклик от БК"));
  EXPECT_FALSE(lamp->isLit());

  auto* gauge = window.findChild<Gauge*>(QStringLiteral("progressGauge"));
  EXPECT_EQ(gauge->geometry(), QRect(0, 368, 360, 25));
  EXPECT_EQ(gauge->text(), QStringLiteral("0%"));

  EXPECT_EQ(window.session().linkState(), LinkState::waitSync);
  EXPECT_FALSE(window.session().downloading());
  EXPECT_TRUE(window.dump().empty());
}

}  // namespace
}  // namespace kq
