#pragma once

#include <string>

#ifdef _WIN32
#include <windows.h>

#include "base/windows_text.h"
#endif

namespace kq::test {

// How the system words a missing file or folder at the end of a file message.
inline std::string missingFileReason() {
#ifdef _WIN32
  return windowsErrorText(ERROR_FILE_NOT_FOUND);
#else
  return "No such file or directory";
#endif
}

inline std::string missingFolderReason() {
#ifdef _WIN32
  return windowsErrorText(ERROR_PATH_NOT_FOUND);
#else
  return "No such file or directory";
#endif
}

}  // namespace kq::test
