#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <array>
#include <optional>
#include <stdexcept>
#include <vector>

#include "analysis/expression.h"
#include "chart/cell_table_settings.h"

namespace kq {

// Everything that rebuilds one analysis in the chart window: the drives and
// their offsets, the ten series (parameter titles, switches), markers and the
// zoom (in x as the chart shows it), derived channels, the filter, the cell
// table. Titles, not item numbers, so a dump of another controller type or
// version opens the same view where its titles allow.
struct Workspace {
  static constexpr int kSeriesCount = 10;
  static constexpr int kVersion = 1;

  struct Drive {
    QString path;  // absolute once read
    double offset = 0;
  };
  struct Series {
    QString parameter;  // empty: none chosen
    bool shown = true;
    bool rightAxis = false;
  };

  std::vector<Drive> drives;  // the first the reference
  std::array<Series, kSeriesCount> series;
  bool timeAxis = false;
  std::array<std::optional<double>, 2> markers;
  std::optional<std::pair<double, double>> zoom;  // the x range shown
  std::vector<ChannelDefinition> channels;
  QString filter;
  CellTableSettings cellTable;
};

// A file that is no workspace this version can read; what() says why, for the user.
class WorkspaceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The workspace as JSON (UTF-8). Dump paths are written relative to `base`,
// the workspace's folder, where they lie in it or below it, so that a folder
// moved with its dumps opens again; other paths stay absolute.
QByteArray workspaceJson(const Workspace& workspace, const QDir& base);

// Reads a workspace written by workspaceJson; relative dump paths are taken
// from `base`. Throws WorkspaceError for damaged JSON, another kind of file, a
// newer format version or a value of the wrong kind.
Workspace readWorkspace(const QByteArray& json, const QDir& base);

}  // namespace kq
