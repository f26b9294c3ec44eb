#include <QApplication>
#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <stdexcept>

#include "app/font_engine.h"
#include "app/library_window.h"
#include "app/main_window.h"
#include "app/own_translation.h"
#include "chart/chart_window.h"
#include "library/library_store.h"
#include "ui/qt_text.h"

int main(int argc, char* argv[]) {
  kq::chooseFontEngine();
  QApplication application(argc, argv);

  // The toolkit's own dialogs and buttons in the user's language, where Qt's
  // translations are installed.
  QTranslator toolkitTexts;
  if (toolkitTexts.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&toolkitTexts);
  // The program's own texts, where the package holds a translation for the
  // user's language; the folder lies where the package puts it beside bin/.
  QTranslator ownTexts;
  const QString ownTranslation = kq::ownTranslationFile(
      QLocale::system().uiLanguages(),
      QApplication::applicationDirPath() + QStringLiteral("/" KQ_TRANSLATIONS_FROM_BIN));
  if (!ownTranslation.isEmpty() && ownTexts.load(ownTranslation)) QApplication::installTranslator(&ownTexts);

  // The title error boxes and the task bar show; set before any window exists.
  QApplication::setApplicationName(
      QCoreApplication::translate("kq::Application", "Выгрузчик данных из БК серии KQ"));

  QCommandLineParser options;
  options.setApplicationDescription(
      QStringLiteral("Downloads the log memory of a KQ-series on-board computer."));
  options.addHelpOption();
  const QCommandLineOption trace(
      QStringLiteral("trace"),
      QStringLiteral("Record every byte exchanged with the device, with its time, and every judgement of the "
                     "download in FILE (at most 64 MB)."),
      QStringLiteral("FILE"));
  options.addOption(trace);
  const QCommandLineOption library(
      QStringLiteral("library"),
      QStringLiteral(
          "Keep the library of downloads in FILE (created when absent), or on a PostgreSQL server at "
          "postgresql://USER@HOST[:PORT]/DATABASE, instead of the user's default one."),
      QStringLiteral("FILE"));
  options.addOption(library);
  options.process(application);

  // Before a serial port can be open (see loadLibraryDriver).
  kq::loadLibraryDriver();
  kq::MainWindow mainWindow;
  if (options.isSet(trace)) {
    try {
      mainWindow.traceTo(options.value(trace).toStdString());
    } catch (const std::runtime_error& error) {
      std::fprintf(stderr, "kq-unloader: %s\n", error.what());
      return 1;
    }
  }
  kq::ChartWindow chartWindow;
  // Closing the main window ends the program, also while the chart is open.
  chartWindow.setAttribute(Qt::WA_QuitOnClose, false);
  mainWindow.setChart([&chartWindow](const kq::Dump& dump, char decimalSeparator, const QString& file) {
    chartWindow.prepare(dump, decimalSeparator, kq::fileNameForCore(file));
  });
  // Opened when first used, so that it costs the start nothing.
  kq::LibraryWindow libraryWindow(chartWindow);
  libraryWindow.setAttribute(Qt::WA_QuitOnClose, false);
  libraryWindow.setLocation(options.isSet(library) ? options.value(library)
                                                   : QString::fromStdString(kq::defaultLibraryLocation()));
  mainWindow.setLibrary(&libraryWindow);
  mainWindow.show();
  return QApplication::exec();
}
