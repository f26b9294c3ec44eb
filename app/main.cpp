#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/main_window.h"
#include "chart/chart_window.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // The title error boxes and the task bar show; set before any window exists.
  QApplication::setApplicationName(QStringLiteral("Выгрузчик данных из БК серии KQ"));

  // The toolkit's own dialogs and buttons in the user's language, where Qt's
  // translations are installed.
  QTranslator toolkitTexts;
  if (toolkitTexts.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&toolkitTexts);

  kq::MainWindow mainWindow;
  kq::ChartWindow chartWindow;
  // Closing the main window ends the program, also while the chart is open.
  chartWindow.setAttribute(Qt::WA_QuitOnClose, false);
  mainWindow.setChart([&chartWindow](const kq::Dump& dump, char decimalSeparator, const QString& file) {
    chartWindow.prepare(dump, decimalSeparator, file);
  });
  mainWindow.show();
  return QApplication::exec();
}
