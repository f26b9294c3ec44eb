#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kq {

// File names are UTF-8 text everywhere; std::filesystem would read a narrow
// string in the ANSI code page on Windows.
inline std::filesystem::path utf8Path(std::string_view name) {
  return std::u8string_view(reinterpret_cast<const char8_t*>(name.data()), name.size());
}

inline std::string utf8Text(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace kq
