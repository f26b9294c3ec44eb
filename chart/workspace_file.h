#pragma once

#include <QString>

#include "analysis/chart_workspace.h"

namespace kq {

// Writes the session's analysis to a workspace file, safely; returns what
// went wrong ("" when written). Drive A must have been read from a file.
QString saveWorkspaceFile(const ChartSession& session, const QString& file);

// Reads a workspace file and opens it into the session (see openWorkspace).
// A file that cannot be read, a damaged one, another kind of file or one of a
// newer version is refused with the opening's error and changes nothing.
WorkspaceOpening openWorkspaceFile(ChartSession& session, const QString& file, char separator,
                                   const ReplacementChooser& choose);

}  // namespace kq
