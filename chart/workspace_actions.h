#pragma once

class QMenu;
class QWidget;

namespace kq {

class ChartSession;

// "Сохранить рабочую область…" and "Открыть рабочую область…" in the chart's
// menu: file dialogs, then the workspace file written or opened; a dump not
// found is offered for replacement, what went wrong is shown in an error box
// and what the opened dumps lack in a message. Object names: saveWorkspace,
// openWorkspace.
void addWorkspaceActions(QMenu& menu, ChartSession& session, QWidget& parent);

}  // namespace kq
