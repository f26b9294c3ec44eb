// GoogleTest main for window tests: one QApplication, off screen unless a
// display is asked for.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Выгрузчик данных из БК серии KQ"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
