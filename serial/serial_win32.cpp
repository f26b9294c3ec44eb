// The serial device on Windows: one overlapped handle. The event thread owns
// the comm-event wait, the main thread reads, the write thread writes; each
// has its own OVERLAPPED and completion event.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "base/windows_text.h"
#include "serial/serial_device.h"
#include "serial/serial_error.h"

namespace kq::detail {
namespace {

constexpr DWORD kBaudrate = 38400;
constexpr DWORD kInputQueue = 4096;
constexpr DWORD kOutputQueue = 2048;
constexpr WORD kXonXoffLimit = 1024;
constexpr DWORD kWriteTimeoutMs = 1000;
// Comm events may be missed or come without a cause: every wait is bounded,
// and the input queue is looked at again after each.
constexpr DWORD kEventWaitMs = 50;
constexpr DWORD kRoomWaitMs = 20;
constexpr DWORD kReadCompletionMs = 1000;
constexpr auto kReadablePoll = std::chrono::milliseconds(1);

SerialError systemError(const std::string& format, DWORD code) {
  return SerialError::withSystemError(format, static_cast<int>(code), windowsErrorText(code));
}

// The name goes in as it is: a '%' in a typed name is no format.
SerialError openFailure(const std::string& name, DWORD code) {
  return SerialError("Can't open specified device " + name + systemError(" (Error %d, %s)", code).what());
}

// Errors of a port whose device was unplugged or whose driver went away.
bool gone(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_COMMAND:
    case ERROR_BROKEN_PIPE:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_GEN_FAILURE:
    case ERROR_INVALID_HANDLE:
    case ERROR_NOT_READY:
      return true;
    default:
      return false;
  }
}

// Pseudo-terminals under wine and some adapters have no modem lines; that is no error.
bool noModemLines(DWORD error) {
  return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION ||
         error == ERROR_INVALID_PARAMETER || error == ERROR_CALL_NOT_IMPLEMENTED;
}

class Event {
 public:
  Event() : handle_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Event() {
    if (handle_) ::CloseHandle(handle_);
  }
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

void configure(HANDLE port) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!::GetCommState(port, &dcb)) throw systemError("Error writing dcb (%d), %s", ::GetLastError());
  dcb.BaudRate = kBaudrate;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = TRUE;
  dcb.fParity = FALSE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_DISABLE;
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fTXContinueOnXoff = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fErrorChar = FALSE;
  dcb.fNull = FALSE;
  dcb.fAbortOnError = FALSE;
  dcb.XonLim = kXonXoffLimit;
  dcb.XoffLim = kXonXoffLimit;
  if (!::SetCommState(port, &dcb)) throw systemError("Error writing dcb (%d), %s", ::GetLastError());

  // A driver may accept the call and keep other settings: read them back.
  DCB applied{};
  applied.DCBlength = sizeof applied;
  if (!::GetCommState(port, &applied)) throw systemError("Error writing dcb (%d), %s", ::GetLastError());
  if (applied.BaudRate != kBaudrate || applied.ByteSize != 8 || applied.Parity != NOPARITY ||
      applied.StopBits != ONESTOPBIT || applied.fOutxCtsFlow || applied.fOutxDsrFlow || applied.fOutX ||
      applied.fInX) {
    throw systemError("Error writing dcb (%d), %s", ERROR_INVALID_PARAMETER);
  }
}

void setModemLine(HANDLE port, DWORD function) {
  if (!::EscapeCommFunction(port, function)) {
    const DWORD error = ::GetLastError();
    if (!noModemLines(error)) throw systemError("Error calling comm function (%d), %s", error);
  }
}

}  // namespace

struct SerialDevice::Os {
  HANDLE port;
  Event inputWake;
  Event roomWake;
  Event commEventDone;
  Event readDone;
  Event writeDone;

  // Event thread only.
  OVERLAPPED commEvent{};
  DWORD commEventMask = 0;
  bool commEventPending = false;

  explicit Os(HANDLE handle) : port(handle) {}

  ~Os() {
    ::SetCommMask(port, 0);  // ends a pending comm-event wait
    ::PurgeComm(port, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
    ::CancelIoEx(port, nullptr);
    ::CloseHandle(port);
    // The system writes into commEvent until the wait has completed, which
    // closing the handle guarantees.
    if (commEventPending) ::WaitForSingleObject(commEventDone.get(), INFINITE);
  }
  Os(const Os&) = delete;
  Os& operator=(const Os&) = delete;

  bool eventsCreated() const {
    return inputWake.get() && roomWake.get() && commEventDone.get() && readDone.get() && writeDone.get();
  }

  // Bytes in the input queue (line errors read and cleared); nothing when the device has gone.
  std::optional<std::size_t> queued(DWORD& error) {
    COMSTAT status{};
    DWORD errors = 0;
    if (::ClearCommError(port, &errors, &status)) return status.cbInQue;
    error = ::GetLastError();
    return std::nullopt;
  }

  std::optional<std::size_t> queued() {
    DWORD error = 0;
    return queued(error);
  }

  // Starts the comm-event wait unless one is pending; false when it cannot start.
  bool armCommEvent() {
    if (commEventPending) return true;
    ::ResetEvent(commEventDone.get());
    commEvent = OVERLAPPED{};
    commEvent.hEvent = commEventDone.get();
    if (::WaitCommEvent(port, &commEventMask, &commEvent)) {
      ::SetEvent(commEventDone.get());  // came at once: handled like a later completion
    } else if (::GetLastError() != ERROR_IO_PENDING) {
      return false;
    }
    commEventPending = true;
    return true;
  }

  void finishCommEvent() {
    DWORD ignored = 0;
    ::GetOverlappedResult(port, &commEvent, &ignored, FALSE);
    commEventPending = false;
  }
};

SerialDevice::SerialDevice(std::unique_ptr<Os> os) : os_(std::move(os)) {}

SerialDevice::~SerialDevice() = default;

std::unique_ptr<SerialDevice> SerialDevice::open(const std::string& name, const std::string& path) {
  const HANDLE handle = ::CreateFileW(wideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
      throw SerialError("Specified device not found (" + name + ").");
    throw openFailure(name, error);
  }
  auto os = std::make_unique<Os>(handle);
  if (!os->eventsCreated()) throw openFailure(name, ::GetLastError());

  configure(handle);
  if (!::SetupComm(handle, kInputQueue, kOutputQueue))
    throw systemError("Error initializing buffers (%d), %s", ::GetLastError());
  // Reads return at once with what is queued; the line does its own waiting.
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
  if (!::SetCommTimeouts(handle, &timeouts))
    throw systemError("Error setting timeouts (%d), %s", ::GetLastError());
  if (!::SetCommMask(handle, EV_RXCHAR | EV_ERR))
    throw systemError(" Error setting EventMask (%d), %s", ::GetLastError());
  setModemLine(handle, CLRDTR);
  setModemLine(handle, CLRRTS);
  ::PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
  return std::unique_ptr<SerialDevice>(new SerialDevice(std::move(os)));
}

std::size_t SerialDevice::bytesWaiting() {
  DWORD error = 0;
  if (const auto count = os_->queued(error)) return *count;
  if (gone(error)) return 0;
  throw systemError("Error retrieving statistics (%d), %s", error);
}

std::optional<std::size_t> SerialDevice::readAvailable(std::span<std::uint8_t> buffer) {
  OVERLAPPED read{};
  read.hEvent = os_->readDone.get();
  ::ResetEvent(read.hEvent);
  const DWORD size = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), kInputQueue));
  if (!::ReadFile(os_->port, buffer.data(), size, nullptr, &read)) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_IO_PENDING) {
      if (gone(error)) return std::nullopt;
      throw systemError("Read error (%d), %s", error);
    }
    // With reads set to return at once this completes at once; bounded all the same.
    if (::WaitForSingleObject(read.hEvent, kReadCompletionMs) != WAIT_OBJECT_0)
      ::CancelIoEx(os_->port, &read);
  }
  DWORD got = 0;
  if (!::GetOverlappedResult(os_->port, &read, &got, TRUE)) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_OPERATION_ABORTED) return got;
    if (gone(error)) return std::nullopt;
    throw systemError("Read error (%d), %s", error);
  }
  return got;
}

bool SerialDevice::waitReadable(std::chrono::milliseconds timeout) {
  // The event thread owns the port's one comm-event wait, so the main thread
  // looks at the queue in short steps.
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    const auto count = os_->queued();
    if (!count) return false;
    if (*count > 0) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kReadablePoll);
  }
}

std::optional<std::size_t> SerialDevice::writeSome(std::span<const std::uint8_t> bytes) {
  OVERLAPPED write{};
  write.hEvent = os_->writeDone.get();
  ::ResetEvent(write.hEvent);
  const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kOutputQueue));
  if (!::WriteFile(os_->port, bytes.data(), size, nullptr, &write)) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_IO_PENDING) return std::nullopt;
    // The driver ends the write after the write time-out; a close ends it at once.
    const HANDLE handles[] = {write.hEvent, os_->roomWake.get()};
    if (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0)
      ::CancelIoEx(os_->port, &write);
  }
  DWORD written = 0;
  if (!::GetOverlappedResult(os_->port, &write, &written, TRUE)) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_OPERATION_ABORTED || error == ERROR_COUNTER_TIMEOUT || error == ERROR_SEM_TIMEOUT)
      return written;
    return std::nullopt;
  }
  return written;
}

// An overlapped write may take until the write time-out: the write thread does it.
std::optional<std::size_t> SerialDevice::writeNow(std::span<const std::uint8_t>) { return 0; }

void SerialDevice::discardInput() { ::PurgeComm(os_->port, PURGE_RXCLEAR); }

SerialDevice::Wait SerialDevice::waitForInput() {
  Os& os = *os_;
  while (true) {
    const auto count = os.queued();
    if (!count) return Wait::lost;
    // Bytes that came before the wait started raise no event: look first.
    if (*count > 0) return Wait::ready;
    const bool armed = os.armCommEvent();
    if (!armed && !os.queued()) return Wait::lost;
    const HANDLE handles[] = {os.inputWake.get(), os.commEventDone.get()};
    const DWORD result = ::WaitForMultipleObjects(armed ? 2 : 1, handles, FALSE, kEventWaitMs);
    if (result == WAIT_OBJECT_0) {
      ::ResetEvent(os.inputWake.get());
      return Wait::woken;
    }
    if (result == WAIT_OBJECT_0 + 1) {
      // A wake-up may come without received bytes: the queue decides.
      os.finishCommEvent();
    } else if (result != WAIT_TIMEOUT) {
      return Wait::lost;
    }
  }
}

SerialDevice::Wait SerialDevice::waitForRoom() {
  if (::WaitForSingleObject(os_->roomWake.get(), kRoomWaitMs) == WAIT_OBJECT_0) {
    ::ResetEvent(os_->roomWake.get());
    return Wait::woken;
  }
  return os_->queued() ? Wait::ready : Wait::lost;
}

void SerialDevice::waitForInputWake(std::chrono::milliseconds timeout) {
  const auto ms = std::clamp<long long>(timeout.count(), 0, INFINITE - 1);
  ::WaitForSingleObject(os_->inputWake.get(), static_cast<DWORD>(ms));
}

void SerialDevice::wakeInputWaiter() { ::SetEvent(os_->inputWake.get()); }

void SerialDevice::wakeRoomWaiter() { ::SetEvent(os_->roomWake.get()); }

}  // namespace kq::detail
