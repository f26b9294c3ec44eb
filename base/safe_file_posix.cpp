// The safe writer and the whole-file reader on POSIX systems.
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>

#include "base/file_error.h"
#include "base/safe_file.h"

namespace kq {
namespace {

// The kernel's own limit on a chain of symbolic links.
constexpr int kMaxLinkHops = 40;
// A file name is at most 255 bytes; the temporary adds a dot and a suffix.
constexpr std::size_t kMaxTemporaryStem = 200;
constexpr int kTemporaryNameAttempts = 100;

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  int get() const { return fd_; }
  // False, errno set, when closing reports a failed write.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::string folderOf(const std::string& path) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  return parent.empty() ? std::string(".") : parent.string();
}

// Where a chain of symbolic links ends; that file need not exist (a dangling
// link names the file to create). A relative link text counts from the
// link's own folder.
std::string finalTarget(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    char text[PATH_MAX];
    const ssize_t n = ::readlink(current.c_str(), text, sizeof text);
    if (n < 0) throw FileError::cannotCreate(path, errno);
    if (static_cast<std::size_t>(n) == sizeof text) throw FileError::cannotCreate(path, ENAMETOOLONG);
    const std::string link(text, static_cast<std::size_t>(n));
    current = link.starts_with('/') ? link : folderOf(current) + "/" + link;
  }
  throw FileError::cannotCreate(path, ELOOP);
}

// For a target that exists and is not a regular file: throws when its kind is
// refused, else returns its mode, for writing in place. Nothing for a regular
// file or a name that does not exist yet.
std::optional<mode_t> inPlaceTarget(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) return std::nullopt;
    throw FileError::cannotCreate(path, errno);
  }
  const mode_t mode = st.st_mode;
  if (S_ISREG(mode)) return std::nullopt;
  if (S_ISCHR(mode) || S_ISFIFO(mode)) return mode;
  if (S_ISDIR(mode)) throw FileError::cannotCreate(path, EISDIR);
  // A file written onto a disk device would destroy what the disk holds.
  if (S_ISBLK(mode)) throw FileError::cannotCreate(path, "It is a block device (a disk), not a file");
  if (S_ISSOCK(mode)) throw FileError::cannotCreate(path, "It is a socket, not a file");
  throw FileError::cannotCreate(path, "It is not a file");
}

// Everything, or the errno of the failure.
int writeAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

// Keeps SIGPIPE from ending the program when a pipe's reader goes away during
// the write: the write fails with EPIPE instead, which is reported.
class PipeSignalHeld {
 public:
  PipeSignalHeld() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    sigset_t pending;
    wasPending_ = ::sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
    ::pthread_sigmask(SIG_BLOCK, &pipe_, &previous_);
  }
  ~PipeSignalHeld() {
    if (!wasPending_) {
      const timespec now{};
      while (::sigtimedwait(&pipe_, nullptr, &now) == SIGPIPE) {
      }
    }
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  PipeSignalHeld(const PipeSignalHeld&) = delete;
  PipeSignalHeld& operator=(const PipeSignalHeld&) = delete;

 private:
  sigset_t pipe_;
  sigset_t previous_;
  bool wasPending_ = false;
};

// Opens without waiting for a pipe's other end or a line's carrier, then
// reads and writes block as usual. -1 with errno set on failure.
int openWithoutWaiting(const std::string& path, int access) {
  const int fd = ::open(path.c_str(), access | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

// A device or a named pipe: opened as it is (no creating, no truncating).
void writeInPlace(const std::string& path, mode_t mode, std::string_view content) {
  const int fd = openWithoutWaiting(path, O_WRONLY);
  if (fd < 0) {
    if (errno == ENXIO && S_ISFIFO(mode))
      throw FileError::cannotCreate(path, "No program reads from the pipe");
    throw FileError::cannotCreate(path, errno);
  }
  Descriptor file(fd);
  {
    PipeSignalHeld held;
    if (const int error = writeAll(fd, content)) throw FileError::cannotCreate(path, error);
  }
  if (!file.close()) throw FileError::cannotCreate(path, errno);
}

std::string randomSuffix() {
  static thread_local std::mt19937_64 engine{std::random_device{}()};
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(engine()));
  return text;
}

// A new file beside the target, removed again unless kept. Created with 0666
// so that the umask applies as to any new file.
class TemporaryFile {
 public:
  TemporaryFile(const std::string& shownPath, const std::string& target)
      : fd_(create(shownPath, target, path_)) {}
  ~TemporaryFile() {
    if (!kept_) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int fd() const { return fd_.get(); }
  const std::string& path() const { return path_; }
  bool close() { return fd_.close(); }
  void keep() { kept_ = true; }

 private:
  static int create(const std::string& shownPath, const std::string& target, std::string& path) {
    const std::string stem = std::filesystem::path(target).filename().string().substr(0, kMaxTemporaryStem);
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
      path = folderOf(target) + "/." + stem + "." + randomSuffix();
      const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
      if (fd >= 0) return fd;
      if (errno != EEXIST) throw FileError::cannotCreate(shownPath, errno);
    }
    throw FileError::cannotCreate(shownPath, EEXIST);
  }

  std::string path_;  // before fd_: create() sets it
  Descriptor fd_;
  bool kept_ = false;
};

// A replaced file keeps its permissions, and its owner where the rights
// allow (root writing a user's file).
void takeOverAttributes(int fd, const std::string& target) {
  struct stat st {};
  if (::stat(target.c_str(), &st) != 0) return;
  if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
    // Only root may give a file away; the file is then the writer's own.
  }
  ::fchmod(fd, st.st_mode & 07777);
}

// Makes the rename itself survive a power cut. A file system that cannot
// flush a folder says EINVAL, which is no failure of this write.
void syncFolder(const std::string& shownPath, const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;  // a folder one may write but not read; the file is in place
  Descriptor directory(fd);
  if (::fsync(fd) != 0 && errno != EINVAL) throw FileError::cannotCreate(shownPath, errno);
}

void replaceFile(const std::string& shownPath, const std::string& target, std::string_view content) {
  TemporaryFile temporary(shownPath, target);
  takeOverAttributes(temporary.fd(), target);
  if (const int error = writeAll(temporary.fd(), content)) throw FileError::cannotCreate(shownPath, error);
  // The data must be on the disk before the name points at it.
  if (::fsync(temporary.fd()) != 0) throw FileError::cannotCreate(shownPath, errno);
  if (!temporary.close()) throw FileError::cannotCreate(shownPath, errno);
  if (::rename(temporary.path().c_str(), target.c_str()) != 0)
    throw FileError::cannotCreate(shownPath, errno);
  temporary.keep();
  syncFolder(shownPath, folderOf(target));
}

}  // namespace

void writeFileSafely(const std::string& path, std::string_view content) {
  if (const std::optional<mode_t> mode = inPlaceTarget(path)) {
    writeInPlace(path, *mode, content);
    return;
  }
  replaceFile(path, finalTarget(path), content);
}

void checkCanCreate(const std::string& path) {
  if (inPlaceTarget(path)) {
    if (::access(path.c_str(), W_OK) != 0) throw FileError::cannotCreate(path, errno);
    return;
  }
  TemporaryFile probe(path, finalTarget(path));
}

std::string readWholeFile(const std::string& path, std::size_t maxBytes) {
  const int fd = openWithoutWaiting(path, O_RDONLY);
  if (fd < 0) throw FileError::cannotOpen(path, errno);
  Descriptor file(fd);
  std::string content;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) throw FileError::cannotOpen(path, EFBIG);
    content.reserve(static_cast<std::size_t>(st.st_size));
  }
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError::cannotOpen(path, errno);
    }
    if (n == 0) break;
    if (static_cast<std::size_t>(n) > maxBytes - content.size()) throw FileError::cannotOpen(path, EFBIG);
    content.append(buffer, static_cast<std::size_t>(n));
  }
  return content;
}

}  // namespace kq
