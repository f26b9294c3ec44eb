#include "base/state_folder.h"

#include <cstdlib>

#include "base/os_calls.h"

namespace kq {
namespace {

const char* variable(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

}  // namespace

std::filesystem::path userStateFolder() {
  const std::filesystem::path program = "kq-unloader";
  if (const std::filesystem::path local = systemLocalDataFolder(); !local.empty()) return local / program;
  // Relative values are to be ignored, as the base directory rules say.
  if (const char* state = variable("XDG_STATE_HOME"); state && std::filesystem::path(state).is_absolute())
    return std::filesystem::path(state) / program;
  if (const char* home = variable("HOME")) return std::filesystem::path(home) / ".local" / "state" / program;
  return {};
}

}  // namespace kq
