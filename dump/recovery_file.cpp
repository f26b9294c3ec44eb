#include "dump/recovery_file.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <system_error>
#include <vector>

#include "base/file_error.h"
#include "base/file_sync.h"
#include "base/os_calls.h"
#include "base/utf8_path.h"

namespace kq {
namespace {

constexpr const char* kPrefix = "recovery-";

}  // namespace

RecoveryFile::RecoveryFile(std::filesystem::path path) : path_(std::move(path)) {
  std::error_code error;
  std::filesystem::create_directories(path_.parent_path(), error);
  if (error) throw FileError::cannotCreate(utf8Text(path_), error.value());
  file_ = openForWriting(path_);
  if (!file_) throw FileError::cannotCreate(utf8Text(path_), errno);
}

RecoveryFile::~RecoveryFile() {
  if (!file_) return;
  syncToDisk(file_);
  std::fclose(file_);
}

void RecoveryFile::append(const std::string& line) {
  if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fputs("\r\n", file_) < 0 ||
      std::fflush(file_) != 0)
    throw FileError::cannotCreate(utf8Text(path_), errno);
  if (++unsynced_ >= kLinesBetweenSyncs) sync();
}

void RecoveryFile::sync() {
  if (!syncToDisk(file_)) throw FileError::cannotCreate(utf8Text(path_), errno);
  unsynced_ = 0;
}

std::filesystem::path RecoveryFile::newPath(const std::filesystem::path& folder) {
  const std::time_t now = std::time(nullptr);
  const std::tm local = localTime(now);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &local);
  std::filesystem::path path = folder / (std::string(kPrefix) + stamp + ".txt");
  for (int n = 2; std::filesystem::exists(path); ++n)
    path = folder / (std::string(kPrefix) + stamp + "-" + std::to_string(n) + ".txt");
  return path;
}

void RecoveryFile::pruneOld(const std::filesystem::path& folder, std::size_t keep) {
  std::error_code error;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = utf8Text(entry.path().filename());
    if (name.starts_with(kPrefix) && name.ends_with(".txt")) files.push_back(entry.path());
  }
  if (files.size() <= keep) return;
  // The names sort by the time they were made.
  std::sort(files.begin(), files.end());
  for (std::size_t i = 0; i + keep < files.size(); ++i) std::filesystem::remove(files[i], error);
}

}  // namespace kq
