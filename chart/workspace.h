#pragma once

#include <QByteArray>
#include <QDir>
#include <stdexcept>

#include "analysis/chart_workspace.h"

namespace kq {

// The workspace file's format version: 2 adds the cell table's drive; files
// of version 1 open as they are.
inline constexpr int kWorkspaceVersion = 2;

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
