#include <windows.h>

#include <cerrno>
#include <cstdlib>

#include "base/os_calls.h"

namespace kq {

// The narrow calls take the ANSI code page, which cannot hold every file or
// user name; the wide ones can.
std::FILE* openForWriting(const std::filesystem::path& path) { return _wfopen(path.c_str(), L"wb"); }

std::tm localTime(std::time_t time) {
  std::tm local{};
  localtime_s(&local, &time);
  return local;
}

std::filesystem::path systemLocalDataFolder() {
  const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
  return local && *local ? std::filesystem::path(local) : std::filesystem::path();
}

bool replaceFileWith(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  errno = ::GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
  return false;
}

}  // namespace kq
