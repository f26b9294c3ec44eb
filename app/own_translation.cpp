#include "app/own_translation.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>

namespace kq {

QString ownTranslationFile(const QStringList& languages, const QString& folder) {
  for (const QString& language : languages) {
    if (QLocale(language).language() == QLocale::Russian) return {};
    QString name = language;
    name.replace(QLatin1Char('-'), QLatin1Char('_'));
    while (!name.isEmpty()) {
      const QString file = QDir(folder).filePath(QStringLiteral("kq-unloader_%1.qm").arg(name));
      if (QFileInfo(file).isFile()) return file;
      name.truncate(std::max<qsizetype>(name.lastIndexOf(QLatin1Char('_')), 0));
    }
  }
  return {};
}

}  // namespace kq
