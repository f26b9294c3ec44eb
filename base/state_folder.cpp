#include "base/state_folder.h"

#include <cstdlib>

#include "base/os_calls.h"

namespace kq {
namespace {

const char* variable(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

// The system's local data folder, else the base directory variable, else the
// folder under the home the base directory rules name.
std::filesystem::path userFolder(const char* baseVariable, const char* underHome) {
  const std::filesystem::path program = "kq-unloader";
  if (const std::filesystem::path local = systemLocalDataFolder(); !local.empty()) return local / program;
  // Relative values are to be ignored, as the base directory rules say.
  if (const char* base = variable(baseVariable); base && std::filesystem::path(base).is_absolute())
    return std::filesystem::path(base) / program;
  if (const char* home = variable("HOME"))
    return std::filesystem::path(home) / ".local" / underHome / program;
  return {};
}

}  // namespace

std::filesystem::path userStateFolder() { return userFolder("XDG_STATE_HOME", "state"); }

std::filesystem::path userDataFolder() { return userFolder("XDG_DATA_HOME", "share"); }

}  // namespace kq
