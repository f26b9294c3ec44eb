#pragma once

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

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

// A fresh folder under the system's temporary folder, removed with all it holds.
class TempDir {
 public:
  TempDir() : path_(makeTempDir("kq-test")) {}
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string file(const std::string& name) const { return (path_ / name).string(); }
  std::vector<std::string> entries(const std::string& folder = ".") const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_ / folder))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::filesystem::path path_;
};

}  // namespace kq::test
