#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace kq::test {

// A stand-in for /dev in a temporary folder: plain files as devices and
// serial/by-id links to them, as udev makes them. Removed when destroyed.
class FakeDev {
 public:
  FakeDev() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kq-dev-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
    root_ = pattern;
    std::filesystem::create_directories(root_ / "serial" / "by-id");
  }
  ~FakeDev() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  FakeDev(const FakeDev&) = delete;
  FakeDev& operator=(const FakeDev&) = delete;

  const std::filesystem::path& root() const { return root_; }

  void addDevice(const std::string& name) const { std::ofstream(root_ / name).put('\0'); }
  void removeDevice(const std::string& name) const { std::filesystem::remove(root_ / name); }
  void addStableName(const std::string& byId, const std::string& device) const {
    std::filesystem::create_symlink("../../" + device, root_ / "serial" / "by-id" / byId);
  }

 private:
  std::filesystem::path root_;
};

}  // namespace kq::test
