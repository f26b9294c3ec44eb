#pragma once

#include <QApplication>

#include "cli/qt_messages.h"

namespace kq::cli {

// Does work that draws with the windows' widgets (a chart, a report) inside
// Qt Widgets' application object, off screen: no display is needed or used.
template <class Work>
auto withOffscreenApplication(Work work) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "kq-cli";
  static char* argv[] = {name, nullptr};
  keepQtNotesQuiet();
  QApplication application(argc, argv);
  return work();
}

}  // namespace kq::cli
