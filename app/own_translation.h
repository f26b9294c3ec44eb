#pragma once

#include <QString>
#include <QStringList>

namespace kq {

// The program's own translation for the first of the user's languages (most
// preferred first, as QLocale::uiLanguages gives them) that has one in
// `folder`: for "de-AT" kq-unloader_de_AT.qm, else kq-unloader_de.qm. Russian,
// the language the texts are written in, needs none: when it comes first,
// there is none. Empty when there is none.
QString ownTranslationFile(const QStringList& languages, const QString& folder);

}  // namespace kq
