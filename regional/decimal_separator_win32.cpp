// The decimal separator of the user's regional settings on Windows.
#include <windows.h>

#include "regional/decimal_separator.h"

namespace kq {

char systemDecimalSeparator() {
  wchar_t point[8] = {};
  const int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, point, 8);
  // length counts the terminating zero; the number text needs one ASCII character.
  return length == 2 && point[0] > 0 && point[0] < 0x80 ? static_cast<char>(point[0]) : '.';
}

}  // namespace kq
