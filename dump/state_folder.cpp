#include "dump/state_folder.h"

#include <cstdlib>

namespace kq {
namespace {

const char* variable(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

}  // namespace

std::filesystem::path userStateFolder() {
  const std::filesystem::path program = "kq-unloader";
#ifdef _WIN32
  // Read as UTF-16: a user name the ANSI code page cannot hold stays intact.
  if (const wchar_t* local = _wgetenv(L"LOCALAPPDATA"); local && *local)
    return std::filesystem::path(local) / program;
#endif
  // Relative values are to be ignored, as the base directory rules say.
  if (const char* state = variable("XDG_STATE_HOME"); state && std::filesystem::path(state).is_absolute())
    return std::filesystem::path(state) / program;
  if (const char* home = variable("HOME")) return std::filesystem::path(home) / ".local" / "state" / program;
  return {};
}

}  // namespace kq
