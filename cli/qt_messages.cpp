#include "cli/qt_messages.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>

namespace kq::cli {

void keepQtNotesQuiet() {
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
  });
}

}  // namespace kq::cli
