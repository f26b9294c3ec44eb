#include <io.h>
#include <windows.h>

#include "base/file_sync.h"

namespace kq {

bool syncToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
  return handle != INVALID_HANDLE_VALUE && ::FlushFileBuffers(handle);
}

bool syncFileToDisk(const std::filesystem::path& path) {
  std::FILE* file = ::_wfopen(path.c_str(), L"r+b");
  if (!file) return false;
  const bool synced = syncToDisk(file);
  return std::fclose(file) == 0 && synced;
}

}  // namespace kq
