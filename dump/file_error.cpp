#include "dump/file_error.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace kq {

std::string fullPath(const std::string& path) {
  std::error_code ec;
  auto absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

std::string systemErrorText(int errorNumber) { return std::generic_category().message(errorNumber); }

FileError FileError::cannotCreate(const std::string& path, int errorNumber) {
  return FileError("Cannot create file \"" + fullPath(path) + "\". " + systemErrorText(errorNumber));
}

FileError FileError::cannotOpen(const std::string& path, int errorNumber) {
  return FileError("Cannot open file \"" + fullPath(path) + "\". " + systemErrorText(errorNumber));
}

}  // namespace kq
