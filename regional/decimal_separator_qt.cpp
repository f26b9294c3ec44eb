#include <QLocale>

#include "regional/decimal_separator.h"

namespace kq {

char systemDecimalSeparator() {
  // QLocale reads the regional settings also where the C library has no such
  // locale generated.
  const QString point = QLocale::system().decimalPoint();
  return point.size() == 1 && point[0].unicode() < 0x80 ? static_cast<char>(point[0].unicode()) : '.';
}

}  // namespace kq
