#include "dump/file_error.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace kq {

// Names are UTF-8 on every system (not the ANSI code page of Windows).
std::string fullPath(const std::string& path) {
  std::error_code ec;
  const std::u8string_view name(reinterpret_cast<const char8_t*>(path.data()), path.size());
  const auto absolute = std::filesystem::absolute(std::filesystem::path(name), ec);
  if (ec) return path;
  const std::u8string text = absolute.lexically_normal().u8string();
  return std::string(text.begin(), text.end());
}

std::string systemErrorText(int errorNumber) { return std::generic_category().message(errorNumber); }

FileError FileError::cannotCreate(const std::string& path, int errorNumber) {
  return FileError("Cannot create file \"" + fullPath(path) + "\". " + systemErrorText(errorNumber));
}

FileError FileError::cannotOpen(const std::string& path, int errorNumber) {
  return FileError("Cannot open file \"" + fullPath(path) + "\". " + systemErrorText(errorNumber));
}

}  // namespace kq
