#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/cell_table_settings.h"
#include "analysis/chart_session.h"
#include "analysis/expression.h"

namespace kq {

// Everything that rebuilds one analysis of the chart: the drives and their
// offsets, the ten series (parameter titles, switches), the time axis,
// markers and the zoom (in x as the chart shows it), derived channels, the
// filter, the cell table. Titles, not item numbers, so that a dump of another
// controller type or version opens the same view where its titles allow.
struct Workspace {
  struct Drive {
    std::string path;  // UTF-8, absolute once read
    double offset = 0;
    bool operator==(const Drive&) const = default;
  };

  std::vector<Drive> drives;  // the first the reference
  std::array<SeriesChoice, kSeriesCount> series{};
  bool timeAxis = false;
  std::array<std::optional<double>, 2> markers{};
  std::optional<std::pair<double, double>> zoom;  // the x range shown
  std::vector<ChannelDefinition> channels;
  std::string filter;
  CellTableSettings cellTable;
};

// The session's analysis as a workspace; its drives' paths as they are.
Workspace captureWorkspace(const ChartSession& session);

// Asked for a dump that cannot be read: the file to read instead, or "" to
// leave the drive out.
using ReplacementChooser = std::function<std::string(const std::string& missing, const std::string& problem)>;

struct WorkspaceOpening {
  std::string error;  // the workspace was not opened, and the session is as it was
  std::string note;   // what the opened dumps lack, which dumps were replaced or left out
};

// Opens a workspace into the session: every dump is read before the session
// changes (decoded with the session's decimal separator, or `separator` while
// nothing is charted); a dump that cannot be read is offered to `choose` for
// replacement. Without drive A nothing changes. `name` names the workspace
// in the messages.
WorkspaceOpening openWorkspace(ChartSession& session, const Workspace& workspace, const std::string& name,
                               char separator, const ReplacementChooser& choose);

}  // namespace kq
