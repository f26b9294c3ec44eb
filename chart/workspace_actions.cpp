#include "chart/workspace_actions.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>

#include "chart/workspace_file.h"
#include "ui/error_box.h"
#include "ui/qt_text.h"

namespace kq {
namespace {
// The context translators find these texts in.
class WorkspaceActions {
  Q_DECLARE_TR_FUNCTIONS(kq::WorkspaceActions)
};

QString filterOfWorkspaces() { return WorkspaceActions::tr("Рабочие области (*.kqw);;Все файлы (*)"); }

QString folderOf(const ChartSession& session) {
  return QFileInfo(toQString(session.drive(0).path)).absolutePath();
}
}  // namespace

void addWorkspaceActions(QMenu& menu, ChartSession& session, QWidget& parent) {
  auto* save = menu.addAction(WorkspaceActions::tr("Сохранить рабочую область…"));
  save->setObjectName(QStringLiteral("saveWorkspace"));
  QObject::connect(save, &QAction::triggered, &parent, [&session, &parent] {
    const QString file = QFileDialog::getSaveFileName(
        &parent, WorkspaceActions::tr("Сохранить рабочую область"), folderOf(session), filterOfWorkspaces());
    if (file.isEmpty()) return;
    if (const QString problem = saveWorkspaceFile(session, file); !problem.isEmpty())
      showErrorBox(&parent, problem);
  });
  auto* open = menu.addAction(WorkspaceActions::tr("Открыть рабочую область…"));
  open->setObjectName(QStringLiteral("openWorkspace"));
  QObject::connect(open, &QAction::triggered, &parent, [&session, &parent] {
    const QString file = QFileDialog::getOpenFileName(
        &parent, WorkspaceActions::tr("Открыть рабочую область"), folderOf(session), filterOfWorkspaces());
    if (file.isEmpty()) return;
    const auto choose = [&parent](const std::string& missing, const std::string& problem) {
      const QFileInfo info(toQString(missing));
      return fileNameForCore(
          QFileDialog::getOpenFileName(&parent,
                                       WorkspaceActions::tr("Запись «%1» не открыта (%2) — выберите замену")
                                           .arg(info.fileName(), toQString(problem)),
                                       info.absolutePath()));
    };
    const WorkspaceOpening opening =
        openWorkspaceFile(session, file, QLocale::system().decimalPoint().front().toLatin1(), choose);
    if (!opening.error.empty())
      showErrorBox(&parent, toQString(opening.error));
    else if (!opening.note.empty())
      QMessageBox::information(&parent, WorkspaceActions::tr("Рабочая область"), toQString(opening.note));
  });
  QObject::connect(&menu, &QMenu::aboutToShow, save,
                   [&session, save] { save->setEnabled(session.hasRecords()); });
}

}  // namespace kq
