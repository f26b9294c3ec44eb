#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace kq {

// The toolkit-free code keeps its texts in UTF-8.
inline QString toQString(std::string_view text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// A file name as the toolkit-free code takes it: UTF-8 on every system (it
// opens files by their UTF-16 name on Windows). QFile::encodeName would give
// the ANSI code page there, where a Cyrillic folder name turns into "?".
inline std::string fileNameForCore(const QString& name) { return name.toStdString(); }

}  // namespace kq
