#include "dump/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "dump/file_error.h"

namespace kq {
namespace {

// Closes a descriptor and removes the temporary file unless released.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int fd_ = -1;
  bool committed_ = false;
  const std::string path_;
};

// Permissions an existing target has, so that replacing it keeps them.
mode_t modeFor(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

void writeFileSafely(const std::string& path, std::string_view content) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    throw FileError::cannotCreate(path, EISDIR);
  }
  std::filesystem::path target(path);
  std::string pattern = (target.parent_path().empty() ? std::string(".") : target.parent_path().string()) +
                        "/." + target.filename().string() + ".XXXXXX";
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) throw FileError::cannotCreate(path, errno);
  TemporaryFile temp(pattern);
  temp.fd_ = fd;
  ::fchmod(fd, modeFor(path));

  const char* data = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    ssize_t n = ::write(fd, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError::cannotCreate(path, errno);
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) throw FileError::cannotCreate(path, errno);
  int closeResult = ::close(fd);
  temp.fd_ = -1;
  if (closeResult != 0) throw FileError::cannotCreate(path, errno);
  if (::rename(pattern.c_str(), path.c_str()) != 0) throw FileError::cannotCreate(path, errno);
  temp.committed_ = true;
}

void checkCanCreate(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) throw FileError::cannotCreate(path, EISDIR);
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  const std::string folder = parent.empty() ? std::string(".") : parent.string();
  if (::access(folder.c_str(), W_OK | X_OK) != 0) throw FileError::cannotCreate(path, errno);
}

std::string readWholeFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw FileError::cannotOpen(path, errno);
  std::string content;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) content.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      throw FileError::cannotOpen(path, err);
    }
    if (n == 0) break;
    content.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return content;
}

}  // namespace kq
