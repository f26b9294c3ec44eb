#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "ui/big_button.h"
#include "ui/gauge.h"

namespace kq {
namespace {

TEST(BigButton, SwitchFlipsBeforeItsHandlerAndShowsTheTextOfItsState) {
  BigButton button(QStringLiteral("off"), QStringLiteral("on"));
  button.resize(200, 33);
  std::vector<bool> seen;
  QObject::connect(&button, &BigButton::clicked, [&] { seen.push_back(button.isChecked()); });

  EXPECT_EQ(button.text(), QStringLiteral("off"));
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(button.text(), QStringLiteral("on"));
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(button.text(), QStringLiteral("off"));
  EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}

TEST(BigButton, ReleaseSetsTheSwitchOffWithoutRunningItsHandler) {
  BigButton button(QStringLiteral("off"), QStringLiteral("on"));
  button.resize(200, 33);
  QTest::mouseClick(&button, Qt::LeftButton);
  QSignalSpy clicks(&button, &BigButton::clicked);

  button.release();
  EXPECT_FALSE(button.isChecked());
  EXPECT_EQ(button.text(), QStringLiteral("off"));
  EXPECT_EQ(clicks.count(), 0);
}

TEST(Gauge, ShowsThePercentageAndClampsToItsRange) {
  Gauge gauge;
  EXPECT_EQ(gauge.text(), QStringLiteral("0%"));
  gauge.setValue(6);
  EXPECT_EQ(gauge.text(), QStringLiteral("6%"));
  gauge.setValue(140);
  EXPECT_EQ(gauge.value(), 100);
  gauge.setValue(-3);
  EXPECT_EQ(gauge.value(), 0);
}

}  // namespace
}  // namespace kq
