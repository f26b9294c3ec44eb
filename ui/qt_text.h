#pragma once

#include <QString>
#include <string_view>

namespace kq {

// The toolkit-free code keeps its texts in UTF-8.
inline QString toQString(std::string_view text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace kq
