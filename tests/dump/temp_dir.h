#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace kq::test {

// A fresh folder under the system's temporary folder, removed with all it holds.
class TempDir {
 public:
  TempDir() : path_(makeTempDir("kq-dump")) {}
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
