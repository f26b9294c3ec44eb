#include "base/os_calls.h"

namespace kq {

std::FILE* openForWriting(const std::filesystem::path& path) { return std::fopen(path.c_str(), "wb"); }

std::tm localTime(std::time_t time) {
  std::tm local{};
  localtime_r(&time, &local);
  return local;
}

std::filesystem::path systemLocalDataFolder() { return {}; }

bool replaceFileWith(const std::filesystem::path& from, const std::filesystem::path& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace kq
