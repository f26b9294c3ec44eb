// Times the main window's file dialogs from the button click to the dialog's
// first paint, alternating the save and the open dialog, and prints the first
// opening and the median of the later ones. The first click comes a second
// after the window appeared, as a user's would; --at-once clicks at once.
// Run on a real display (Xvfb):
//   dialog_open_run [ROUNDS] [--at-once]
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/main_window.h"

namespace {

// Stops the clock at the first paint of a file dialog and closes it.
class DialogWatch : public QObject {
 public:
  explicit DialogWatch(QElapsedTimer& clock) : clock_(clock) {}
  double lastMilliseconds = -1;

  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::Paint && lastMilliseconds < 0 && widget &&
        qobject_cast<QFileDialog*>(widget->window())) {
      lastMilliseconds = double(clock_.nsecsElapsed()) / 1e6;
      QTimer::singleShot(0, widget->window(), [dialog = widget->window()] { dialog->close(); });
    }
    return false;
  }

 private:
  QElapsedTimer& clock_;
};

QAbstractButton* buttonWithText(QWidget& window, const QString& text) {
  for (auto* button : window.findChildren<QAbstractButton*>())
    if (button->text() == text) return button;
  std::fprintf(stderr, "no button \"%s\"\n", qPrintable(text));
  std::exit(1);
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? -1 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Выгрузчик данных из БК серии KQ"));
  const int rounds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 10;
  const bool atOnce = argc > 2 && std::strcmp(argv[2], "--at-once") == 0;

  kq::MainWindow window;
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  if (!atOnce) QTest::qWait(1000);

  QElapsedTimer clock;
  DialogWatch watch(clock);
  application.installEventFilter(&watch);
  QAbstractButton* buttons[] = {
      buttonWithText(window, QStringLiteral("Сохранение полученных данных в файл")),
      buttonWithText(window, QStringLiteral("Чтение данных из файла")),
  };

  std::vector<double> later[2];
  double first[2] = {-1, -1};
  for (int round = 0; round < rounds; ++round) {
    for (int which = 0; which < 2; ++which) {
      watch.lastMilliseconds = -1;
      clock.start();
      // The click returns when the modal dialog has been closed again.
      QTest::mouseClick(buttons[which], Qt::LeftButton);
      if (round == 0)
        first[which] = watch.lastMilliseconds;
      else
        later[which].push_back(watch.lastMilliseconds);
    }
  }
  std::printf("save dialog: first %.1f ms, then median %.1f ms\n", first[0], median(later[0]));
  std::printf("open dialog: first %.1f ms, then median %.1f ms\n", first[1], median(later[1]));
  return 0;
}
