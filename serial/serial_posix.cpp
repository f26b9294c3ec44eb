#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/serial.h>
#endif

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "serial/open_failure.h"
#include "serial/serial_device.h"
#include "serial/serial_error.h"

namespace kq::detail {
namespace {

constexpr speed_t kBaudrate = B38400;

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Pseudo-terminals and some adapters have no modem lines; that is no error.
bool noModemLines(int error) { return error == ENOTTY || error == EINVAL || error == ENOSYS || error == EIO; }

bool gone(int error) { return error == EIO || error == ENXIO || error == ENODEV || error == EPIPE; }

int pollTimeout(std::chrono::milliseconds timeout) {
  return static_cast<int>(std::clamp<long long>(timeout.count(), 0, INT_MAX));
}

void configure(int fd) {
  termios settings{};
  if (::tcgetattr(fd, &settings) != 0)
    throw SerialError::withSystemError("Error writing dcb (%d), %s", errno);
  ::cfmakeraw(&settings);
  settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | ISTRIP);
  settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
  settings.c_cflag |= CS8 | CLOCAL | CREAD;
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  ::cfsetispeed(&settings, kBaudrate);
  ::cfsetospeed(&settings, kBaudrate);
  if (::tcsetattr(fd, TCSANOW, &settings) != 0)
    throw SerialError::withSystemError("Error writing dcb (%d), %s", errno);

  // tcsetattr succeeds when any one change took; read back what the driver kept.
  termios applied{};
  if (::tcgetattr(fd, &applied) != 0) throw SerialError::withSystemError("Error writing dcb (%d), %s", errno);
  const tcflag_t lineBits = CSIZE | PARENB | CSTOPB | CRTSCTS;
  if (::cfgetispeed(&applied) != kBaudrate || ::cfgetospeed(&applied) != kBaudrate ||
      (applied.c_cflag & lineBits) != CS8 || (applied.c_iflag & (IXON | IXOFF)) != 0 ||
      (applied.c_lflag & (ICANON | ECHO | ISIG)) != 0) {
    throw SerialError::withSystemError("Error writing dcb (%d), %s", EINVAL);
  }
}

// USB adapters (FTDI and alike) then hand received bytes over at once rather
// than when their latency timer runs out, 16 ms by default. A pseudo-terminal
// or a driver that refuses leaves the line as it was, which is no error.
void askForLowLatency([[maybe_unused]] int fd) {
#if defined(__linux__)
  serial_struct serial{};
  if (::ioctl(fd, TIOCGSERIAL, &serial) != 0 || (serial.flags & ASYNC_LOW_LATENCY) != 0) return;
  serial.flags |= ASYNC_LOW_LATENCY;
  ::ioctl(fd, TIOCSSERIAL, &serial);
#endif
}

void setModemLines(int fd, int lines, bool level) {
  if (::ioctl(fd, level ? TIOCMBIS : TIOCMBIC, &lines) != 0 && !noModemLines(errno))
    throw SerialError::withSystemError("Error calling comm function (%d), %s", errno);
}

void drainEventFd(int fd) {
  std::uint64_t count;
  while (::read(fd, &count, sizeof count) == sizeof count) {
  }
}

void signalEventFd(int fd) {
  const std::uint64_t one = 1;
  while (::write(fd, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

// The group whose members may use the device at `path`, if joining it would
// help this user, and whether the user joined it without logging in again.
DeviceAccess accessOf(const std::string& path) {
  DeviceAccess access;
  struct stat device {};
  const mode_t groupReadWrite = S_IRGRP | S_IWGRP;
  if (::stat(path.c_str(), &device) != 0 || device.st_gid == 0 ||
      (device.st_mode & groupReadWrite) != groupReadWrite)
    return access;

  const int count = ::getgroups(0, nullptr);
  std::vector<gid_t> carried(count > 0 ? static_cast<std::size_t>(count) : 0);
  if (count > 0 && ::getgroups(count, carried.data()) != count) carried.clear();
  carried.push_back(::getegid());
  if (std::find(carried.begin(), carried.end(), device.st_gid) != carried.end()) return access;

  std::vector<char> buffer(1 << 16);
  group entry{};
  group* owner = nullptr;
  if (::getgrgid_r(device.st_gid, &entry, buffer.data(), buffer.size(), &owner) != 0 || !owner) return access;
  access.group = owner->gr_name;

  std::vector<char> userBuffer(1 << 14);
  passwd userEntry{};
  passwd* user = nullptr;
  if (::getpwuid_r(::getuid(), &userEntry, userBuffer.data(), userBuffer.size(), &user) == 0 && user) {
    access.joinedNotActive = user->pw_gid == device.st_gid;
    for (char** member = owner->gr_mem; *member && !access.joinedNotActive; ++member)
      access.joinedNotActive = std::strcmp(*member, user->pw_name) == 0;
  }
  return access;
}

[[noreturn]] void throwOpenFailure(const std::string& name, const std::string& path, int error) {
  const bool refused = error == EACCES || error == EPERM;
  throw SerialError(openFailureMessage(name, error, refused ? accessOf(path) : DeviceAccess{}));
}

}  // namespace

struct SerialDevice::Os {
  FileDescriptor port;
  FileDescriptor inputWake{::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)};
  FileDescriptor roomWake{::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)};

  explicit Os(int fd) : port(fd) {}

  Wait waitFor(short events, int wakeFd) {
    pollfd fds[2] = {{port.get(), events, 0}, {wakeFd, POLLIN, 0}};
    while (::poll(fds, 2, -1) < 0) {
      if (errno != EINTR) return Wait::lost;
    }
    if (fds[1].revents != 0) {
      drainEventFd(wakeFd);
      return Wait::woken;
    }
    if ((fds[0].revents & events) != 0 && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) == 0)
      return Wait::ready;
    if ((fds[0].revents & POLLIN) != 0 && events == POLLIN) {
      // A hung-up terminal also reports input; only real bytes count.
      int waiting = 0;
      if (::ioctl(port.get(), FIONREAD, &waiting) == 0 && waiting > 0) return Wait::ready;
    }
    return Wait::lost;
  }
};

SerialDevice::SerialDevice(std::unique_ptr<Os> os) : os_(std::move(os)) {}

SerialDevice::~SerialDevice() {
  ::tcflush(os_->port.get(), TCIOFLUSH);
  // A pseudo-terminal keeps the exclusive mark past the close and would
  // refuse every later open by an ordinary user.
  ::ioctl(os_->port.get(), TIOCNXCL);
}

std::unique_ptr<SerialDevice> SerialDevice::open(const std::string& name, const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT) throw SerialError("Specified device not found (" + name + ").");
    throwOpenFailure(name, path, error);
  }
  auto os = std::make_unique<Os>(fd);
  if (os->inputWake.get() < 0 || os->roomWake.get() < 0) throwOpenFailure(name, path, errno);
  // TIOCEXCL keeps other users out; the lock also keeps out those who may
  // pass it (the superuser) but honour locks.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) throwOpenFailure(name, path, errno == EWOULDBLOCK ? EBUSY : errno);
  if (::ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY) throwOpenFailure(name, path, errno);
  configure(fd);
  askForLowLatency(fd);
  setModemLines(fd, TIOCM_DTR | TIOCM_RTS, false);
  ::tcflush(fd, TCIOFLUSH);
  return std::unique_ptr<SerialDevice>(new SerialDevice(std::move(os)));
}

std::size_t SerialDevice::bytesWaiting() {
  int waiting = 0;
  if (::ioctl(os_->port.get(), FIONREAD, &waiting) != 0) {
    if (gone(errno)) return 0;
    throw SerialError::withSystemError("Error retrieving statistics (%d), %s", errno);
  }
  return waiting > 0 ? static_cast<std::size_t>(waiting) : 0;
}

std::optional<std::size_t> SerialDevice::readAvailable(std::span<std::uint8_t> buffer) {
  while (true) {
    const ssize_t n = ::read(os_->port.get(), buffer.data(), buffer.size());
    if (n > 0) return static_cast<std::size_t>(n);
    if (n == 0) return std::nullopt;  // a terminal that has hung up reads as end of file
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    if (gone(errno)) return std::nullopt;
    throw SerialError::withSystemError("Read error (%d), %s", errno);
  }
}

bool SerialDevice::waitReadable(std::chrono::milliseconds timeout) {
  pollfd fd{os_->port.get(), POLLIN, 0};
  int result;
  while ((result = ::poll(&fd, 1, pollTimeout(timeout))) < 0 && errno == EINTR) {
  }
  return result > 0 && (fd.revents & POLLIN) != 0 && bytesWaiting() > 0;
}

std::optional<std::size_t> SerialDevice::writeSome(std::span<const std::uint8_t> bytes) {
  while (true) {
    const ssize_t n = ::write(os_->port.get(), bytes.data(), bytes.size());
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    return std::nullopt;
  }
}

// The descriptor never blocks, so the ordinary write serves.
std::optional<std::size_t> SerialDevice::writeNow(std::span<const std::uint8_t> bytes) {
  return writeSome(bytes);
}

void SerialDevice::discardInput() { ::tcflush(os_->port.get(), TCIFLUSH); }

SerialDevice::Wait SerialDevice::waitForInput() { return os_->waitFor(POLLIN, os_->inputWake.get()); }

SerialDevice::Wait SerialDevice::waitForRoom() { return os_->waitFor(POLLOUT, os_->roomWake.get()); }

void SerialDevice::waitForInputWake(std::chrono::milliseconds timeout) {
  pollfd fd{os_->inputWake.get(), POLLIN, 0};
  while (::poll(&fd, 1, pollTimeout(timeout)) < 0 && errno == EINTR) {
  }
}

void SerialDevice::wakeInputWaiter() { signalEventFd(os_->inputWake.get()); }

void SerialDevice::wakeRoomWaiter() { signalEventFd(os_->roomWake.get()); }

}  // namespace kq::detail
