#include "chart/workspace_file.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include "base/safe_file.h"
#include "chart/workspace.h"

namespace kq {
namespace {
// The context translators find these texts in.
class WorkspaceFile {
  Q_DECLARE_TR_FUNCTIONS(kq::WorkspaceFile)
};
}  // namespace

QString saveWorkspaceFile(const ChartSession& session, const QString& file) {
  if (!session.hasRecords()) return WorkspaceFile::tr("Нет графика, который можно сохранить.");
  if (session.drive(0).path.empty())
    return WorkspaceFile::tr(
        "Запись A не сохранена в файл: сохраните её, чтобы рабочая область могла на неё сослаться.");
  const QByteArray json = workspaceJson(captureWorkspace(session), QFileInfo(file).absoluteDir());
  try {
    writeFileSafely(file.toStdString(), std::string_view(json.constData(), std::size_t(json.size())));
  } catch (const std::exception& error) {
    return QString::fromUtf8(error.what());
  }
  return {};
}

WorkspaceOpening openWorkspaceFile(ChartSession& session, const QString& file, char separator,
                                   const ReplacementChooser& choose) {
  const QString name = QFileInfo(file).fileName();
  const auto refused = [&name](const QString& why) {
    return WorkspaceOpening{
        WorkspaceFile::tr("Рабочая область «%1» не открыта: %2").arg(name, why).toStdString(), {}};
  };
  QFile input(file);
  if (!input.open(QIODevice::ReadOnly)) return refused(input.errorString());
  Workspace workspace;
  try {
    workspace = readWorkspace(input.readAll(), QFileInfo(file).absoluteDir());
  } catch (const WorkspaceError& error) {
    return refused(QString::fromUtf8(error.what()));
  }
  return openWorkspace(session, workspace, name.toStdString(), separator, choose);
}

}  // namespace kq
