// The regional decimal separator through QtCore, which reads the settings
// even where the C library has no such locale generated.
#include <QLocale>

#include "cli/commands.h"

namespace kq::cli {

char systemDecimalSeparator() {
  const QString point = QLocale::system().decimalPoint();
  return point.size() == 1 && point[0].unicode() < 0x80 ? static_cast<char>(point[0].unicode()) : '.';
}

}  // namespace kq::cli
