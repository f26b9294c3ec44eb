// The safe writer on Windows: names are UTF-8 and reach the system as UTF-16;
// the replacement is one MoveFileExW, which (unlike rename) replaces a file.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "base/file_error.h"
#include "base/safe_file.h"
#include "base/windows_text.h"

namespace kq {
namespace {

FileError cannotCreate(const std::string& path, DWORD code) {
  return FileError::cannotCreate(path, windowsErrorText(code));
}

FileError cannotOpen(const std::string& path, DWORD code) {
  return FileError::cannotOpen(path, windowsErrorText(code));
}

class Handle {
 public:
  explicit Handle(HANDLE h) : handle_(h) {}
  ~Handle() { close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool close() {
    const bool closed = !valid() || ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

bool isDirectory(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::filesystem::path folderOf(const std::wstring& target) {
  const std::filesystem::path parent = std::filesystem::path(target).parent_path();
  return parent.empty() ? std::filesystem::path(L".") : parent;
}

// A new file beside the target that no one else has, opened for writing.
std::wstring createTemporary(const std::wstring& target, HANDLE& handle, DWORD extraFlags) {
  const std::filesystem::path path(target);
  const std::wstring stem = (folderOf(target) / (L"." + path.filename().wstring())).wstring();
  for (unsigned attempt = 0;; ++attempt) {
    const std::wstring name = stem + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(::GetTickCount64() + attempt) + L".tmp";
    handle = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | extraFlags, nullptr);
    if (handle != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS || attempt == 100)
      return name;
  }
}

void writeAll(const std::string& path, HANDLE file, std::string_view content) {
  const char* data = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, data, chunk, &written, nullptr)) throw cannotCreate(path, ::GetLastError());
    data += written;
    left -= written;
  }
}

// What an existing target is: a device (NUL, CON, a port) can only be written
// in place; a symbolic link stands for the file it leads to.
struct ExistingTarget {
  bool device = false;
  std::wstring finalPath;
};

// ATTRIBUTES are the target's, as GetFileAttributesW gave them.
std::optional<ExistingTarget> existingTarget(const std::wstring& target, DWORD attributes) {
  Handle file(::CreateFileW(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return std::nullopt;
  ExistingTarget existing;
  existing.device = ::GetFileType(file.get()) != FILE_TYPE_DISK;
  if (!existing.device && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    wchar_t buffer[32768];
    const DWORD length = ::GetFinalPathNameByHandleW(file.get(), buffer, 32768, FILE_NAME_NORMALIZED);
    if (length > 0 && length < 32768) existing.finalPath.assign(buffer, length);
  }
  return existing;
}

}  // namespace

void writeFileSafely(const std::string& path, std::string_view content) {
  std::wstring target = wideFromUtf8(path);
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (isDirectory(attributes)) throw FileError::cannotCreate(path, EISDIR);
  if (const auto existing = existingTarget(target, attributes)) {
    if (existing->device) {
      Handle device(::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!device.valid()) throw cannotCreate(path, ::GetLastError());
      writeAll(path, device.get(), content);
      return;
    }
    // Replace the file the link leads to and keep the link.
    if (!existing->finalPath.empty()) target = existing->finalPath;
  }

  HANDLE created = INVALID_HANDLE_VALUE;
  const std::wstring temporary = createTemporary(target, created, 0);
  if (created == INVALID_HANDLE_VALUE) throw cannotCreate(path, ::GetLastError());
  // Declared before the handle, so that the file is closed before it is removed.
  struct RemoveUnlessCommitted {
    const std::wstring& name;
    bool committed = false;
    ~RemoveUnlessCommitted() {
      if (!committed) ::DeleteFileW(name.c_str());
    }
  } temporaryFile{temporary};
  Handle file(created);
  writeAll(path, file.get(), content);
  if (!::FlushFileBuffers(file.get())) throw cannotCreate(path, ::GetLastError());
  if (!file.close()) throw cannotCreate(path, ::GetLastError());
  if (!::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    throw cannotCreate(path, ::GetLastError());
  temporaryFile.committed = true;
}

void checkCanCreate(const std::string& path) {
  const std::wstring target = wideFromUtf8(path);
  if (isDirectory(::GetFileAttributesW(target.c_str()))) throw FileError::cannotCreate(path, EISDIR);
  // Access rights are lists here: only creating a file in the folder tells.
  HANDLE probe = INVALID_HANDLE_VALUE;
  createTemporary(target, probe, FILE_FLAG_DELETE_ON_CLOSE);
  if (probe == INVALID_HANDLE_VALUE) throw cannotCreate(path, ::GetLastError());
  ::CloseHandle(probe);
}

std::string readWholeFile(const std::string& path, std::size_t maxBytes) {
  const std::wstring source = wideFromUtf8(path);
  if (isDirectory(::GetFileAttributesW(source.c_str()))) throw FileError::cannotOpen(path, EISDIR);
  Handle file(::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) throw cannotOpen(path, ::GetLastError());
  std::string content;
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(file.get(), &size)) {
    if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes) throw FileError::cannotOpen(path, EFBIG);
    content.reserve(static_cast<std::size_t>(size.QuadPart));
  }
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))
      throw cannotOpen(path, ::GetLastError());
    if (got == 0) break;
    if (got > maxBytes - content.size()) throw FileError::cannotOpen(path, EFBIG);
    content.append(buffer, got);
  }
  return content;
}

}  // namespace kq
