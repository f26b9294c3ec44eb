// Any bytes as a workspace file: read, and where it reads, opened into a
// chart session with every dump replaced by one small fixed dump, so that the
// channels, filter, series, markers, zoom and cell table of any workspace are
// applied. Reading must refuse with a message or give a workspace; opening
// must succeed; what the session then holds must write and read back.
#include <QByteArray>
#include <QDir>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "analysis/chart_session.h"
#include "analysis/chart_workspace.h"
#include "chart/workspace.h"
#include "dump/dump_file.h"
#include "fuzz/require.h"
#include "sim/memory.h"

namespace {

using kq::fuzz::require;

// Two drives' worth of records of the richest controller type, written once.
const std::string& fixedDump() {
  static const std::string path = [] {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "kq-fuzz-workspace-dump.txt";
    kq::saveDumpFile(file.string(), kq::Dump(kq::sim::syntheticDumpLines(6, 40)));
    return file.string();
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QDir base(QStringLiteral("/fuzz/workspaces"));
  kq::Workspace workspace;
  try {
    workspace = kq::readWorkspace(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), base);
  } catch (const kq::WorkspaceError& error) {
    require(error.what()[0] != '\0', "a refusal says why");
    return 0;
  }
  require(!workspace.drives.empty(), "a workspace read has drive A");
  for (kq::Workspace::Drive& drive : workspace.drives) drive.path = fixedDump();

  kq::ChartSession session;
  const kq::WorkspaceOpening opening = kq::openWorkspace(session, workspace, "fuzz.kqw", ',', {});
  require(opening.error.empty(), "a workspace whose dumps all read opens");
  require(session.driveCount() == int(std::min<std::size_t>(workspace.drives.size(), kq::kMaxDrives)),
          "every drive read is compared");
  const QByteArray written = kq::workspaceJson(kq::captureWorkspace(session), base);
  try {
    kq::readWorkspace(written, base);
  } catch (const kq::WorkspaceError&) {
    require(false, "what the session holds reads back");
  }
  return 0;
}
