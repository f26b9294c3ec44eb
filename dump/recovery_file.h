#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace kq {

// A copy of a download on disk while it runs, one line a block as in a dump
// file, so that a crash or a power cut keeps what arrived: lines go to the
// system at once and to the disk at least every 64 lines and at the end.
class RecoveryFile {
 public:
  static constexpr int kLinesBetweenSyncs = 64;

  // Creates the file (and its folder). Throws FileError.
  explicit RecoveryFile(std::filesystem::path path);
  ~RecoveryFile();
  RecoveryFile(const RecoveryFile&) = delete;
  RecoveryFile& operator=(const RecoveryFile&) = delete;

  // Throws FileError when the line cannot be written.
  void append(const std::string& line);
  // Everything on the disk; the file stays open for more.
  void sync();
  const std::filesystem::path& path() const { return path_; }

  // A new name in `folder` for a download starting now, and the removal of all
  // but the newest `keep` recovery files there.
  static std::filesystem::path newPath(const std::filesystem::path& folder);
  static void pruneOld(const std::filesystem::path& folder, std::size_t keep);

 private:
  std::filesystem::path path_;
  std::FILE* file_ = nullptr;
  int unsynced_ = 0;
};

}  // namespace kq
