#include "cli/download_output.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

#include "base/safe_file.h"
#include "base/state_folder.h"
#include "base/utf8_path.h"
#include "cli/failure_text.h"
#include "dump/block_layout.h"
#include "dump/dump_file.h"
#include "dump/recovery_file.h"

namespace kq::cli {
namespace {

namespace fs = std::filesystem;

void report(const std::string& text) { std::fprintf(stderr, "kq-cli download: %s\n", text.c_str()); }

// Writes the dump to the first fallback folder that takes it; its path, or
// nothing when none did.
std::optional<fs::path> saveFallback(const Dump& dump) {
  std::error_code error;
  for (const fs::path& folder : {userStateFolder(), fs::temp_directory_path(error)}) {
    if (folder.empty()) continue;
    fs::create_directories(folder, error);
    const fs::path path = RecoveryFile::newPath(folder);
    try {
      saveDumpFile(utf8Text(path), dump);
      return path;
    } catch (const std::exception& failure) {
      report(failureText(failure));
    }
  }
  return std::nullopt;
}

// Writes the dump to `path`; on failure to a fallback file, saying where.
bool saveOrFallBack(const std::string& path, const Dump& dump, const std::string& what) {
  try {
    saveDumpFile(path, dump);
    return true;
  } catch (const std::exception& error) {
    report(failureText(error));
  }
  if (const auto fallback = saveFallback(dump)) {
    report(what + " saved to " + utf8Text(*fallback) + " instead");
  } else {
    report(what + " could not be saved anywhere");
  }
  return false;
}

}  // namespace

void checkOutputBeforeDownload(const std::string& output) {
  checkCanCreate(output);
  std::error_code error;
  // A link is written through to its final target; a device or a pipe takes
  // the dump in place and has no free space to speak of.
  const fs::path target = fs::weakly_canonical(fs::absolute(utf8Path(output), error), error);
  if (error) return;
  const fs::file_status status = fs::status(target, error);
  if (fs::exists(status) && !fs::is_regular_file(status)) return;
  const fs::space_info space = fs::space(target.parent_path(), error);
  // The new file is written whole beside the old one before it replaces it.
  if (!error && space.available < layout::kFullDumpFileBytes) {
    throw std::runtime_error("not enough free space in " + utf8Text(target.parent_path()) +
                             " for a full dump: " + std::to_string(space.available) + " bytes free, " +
                             std::to_string(layout::kFullDumpFileBytes) + " needed");
  }
}

int keepDownload(const std::string& output, const Dump& dump, const std::optional<std::string>& failure) {
  const std::string partial = output + ".partial";
  if (!failure) {
    const std::string what = "the complete dump (" + std::to_string(dump.size()) + " blocks)";
    if (!saveOrFallBack(output, dump, what)) return 1;
    std::error_code ignored;
    fs::remove(utf8Path(partial), ignored);
    return 0;
  }
  report(*failure);
  if (dump.empty()) {
    // Nothing to keep; a file from an earlier attempt would mislead.
    std::error_code ignored;
    fs::remove(utf8Path(partial), ignored);
    return 1;
  }
  const std::string what = std::to_string(dump.size()) + " blocks";
  if (saveOrFallBack(partial, dump, what))
    report(what + " kept in " + partial + "; " + output + " left unchanged");
  return 1;
}

}  // namespace kq::cli
