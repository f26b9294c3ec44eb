#include "analysis/chart_workspace.h"

#include <exception>

namespace kq {
namespace {
std::string seriesName(int i) { return "График " + std::to_string(i + 1); }

// Reads a dump for a drive; the problem for the user, or "".
std::string readDrive(const std::string& path, char separator, ChartDrive& drive) {
  try {
    drive = loadChartDrive(path, separator);
  } catch (const std::exception& error) {
    return error.what();
  }
  if (drive.model.recordCount() == 0) return "в файле нет записей";
  return {};
}

std::string problemsOfA(const AnalysisProblems& problems) {
  std::string text;
  for (const std::string& channel : problems.channels) text += channel + "\n";
  if (!problems.filter.empty()) text += "Фильтр не применён: " + problems.filter + "\n";
  return text;
}

void trimEnd(std::string& text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
}
}  // namespace

Workspace captureWorkspace(const ChartSession& session) {
  Workspace workspace;
  for (int d = 0; d < session.driveCount(); ++d)
    workspace.drives.push_back({session.drive(d).path, session.comparison().offset(d)});
  for (int i = 0; i < kSeriesCount; ++i) {
    const SeriesChoice& series = session.series(i);
    workspace.series[i] = {series.parameter, series.shown, series.rightAxis};
  }
  workspace.timeAxis = session.timeAxis();
  workspace.markers = {session.marker(0), session.marker(1)};
  workspace.zoom = session.zoom();
  workspace.channels = session.channels();
  workspace.filter = session.filter();
  workspace.cellTable = session.cellTable();
  return workspace;
}

WorkspaceOpening openWorkspace(ChartSession& session, const Workspace& workspace, const std::string& name,
                               char separator, const ReplacementChooser& choose) {
  if (session.hasRecords()) separator = session.model().decimalSeparator();
  WorkspaceOpening opening;
  std::string& note = opening.note;
  std::vector<ChartDrive> drives;
  std::vector<double> offsets;
  for (std::size_t d = 0; d < workspace.drives.size() && drives.size() < std::size_t(kMaxDrives); ++d) {
    std::string path = workspace.drives[d].path;
    ChartDrive drive;
    std::string problem = readDrive(path, separator, drive);
    while (!problem.empty() && choose) {
      const std::string replacement = choose(path, problem);
      if (replacement.empty()) break;
      note += "Запись «" + path + "» заменена на «" + replacement + "».\n";
      path = replacement;
      problem = readDrive(path, separator, drive);
    }
    if (!problem.empty()) {
      if (d == 0) {
        opening.error = "Рабочая область «" + name + "» не открыта: запись A «" + workspace.drives[0].path +
                        "» не открыта (" + problem + ").";
        return opening;
      }
      note += "Запись «" + path + "» не открыта (" + problem + ") и оставлена в стороне.\n";
      continue;
    }
    drives.push_back(std::move(drive));
    offsets.push_back(workspace.drives[d].offset);
  }
  if (drives.empty()) {
    opening.error = "Рабочая область «" + name + "» не открыта: в ней нет записей.";
    return opening;
  }

  ChartSession::Batch batch(session);
  session.openDrives(std::move(drives), workspace.channels, workspace.filter, offsets);
  session.setAllSeries(workspace.series);
  for (int i = 0; i < kSeriesCount; ++i) {
    const std::string& parameter = workspace.series[i].parameter;
    if (parameter.empty()) continue;
    if (!session.seriesColumn(i, 0)) {
      // Kept as typed: a channel of that name made later plots it again.
      note += seriesName(i) + ": нет параметра «" + parameter + "» в записи A.\n";
      continue;
    }
    for (int d = 1; d < session.driveCount(); ++d)
      if (!session.seriesColumn(i, d))
        note += seriesName(i) + ": нет параметра «" + parameter + "» в записи " +
                DriveComparison::driveName(d) + ".\n";
  }
  session.setTimeAxis(workspace.timeAxis);
  note += problemsOfA(session.analysisProblems());
  session.setCellTable(workspace.cellTable);
  for (int m = 0; m < 2; ++m)
    if (workspace.markers[m]) session.setMarker(m, *workspace.markers[m]);
  session.setZoom(workspace.zoom);
  trimEnd(note);
  return opening;
}

}  // namespace kq
