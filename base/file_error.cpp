#include "base/file_error.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/utf8_path.h"

namespace kq {

// Names are UTF-8 on every system (not the ANSI code page of Windows).
std::string fullPath(const std::string& path) {
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(utf8Path(path), ec);
  return ec ? path : utf8Text(absolute.lexically_normal());
}

std::string systemErrorText(int errorNumber) { return std::generic_category().message(errorNumber); }

FileError FileError::cannotCreate(const std::string& path, int errorNumber) {
  return cannotCreate(path, systemErrorText(errorNumber));
}

FileError FileError::cannotCreate(const std::string& path, const std::string& reason) {
  return FileError("Cannot create file \"" + fullPath(path) + "\". " + reason);
}

FileError FileError::cannotOpen(const std::string& path, int errorNumber) {
  return cannotOpen(path, systemErrorText(errorNumber));
}

FileError FileError::cannotOpen(const std::string& path, const std::string& reason) {
  return FileError("Cannot open file \"" + fullPath(path) + "\". " + reason);
}

}  // namespace kq
