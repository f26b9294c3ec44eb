#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace kq::test {

// Creates a new, empty folder PREFIX-NNN under the system's temporary folder.
inline std::filesystem::path makeTempDir(const std::string& prefix) {
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path();
  while (true) {
    auto path = base / (prefix + "-" + std::to_string(random()));
    if (std::filesystem::create_directory(path)) return path;
  }
}

}  // namespace kq::test
