#include "chart/workspace.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <limits>

namespace kq {
namespace {
// The context translators find these texts in.
class WorkspaceReading {
  Q_DECLARE_TR_FUNCTIONS(kq::WorkspaceReading)
};

const QString kKind = QStringLiteral("kq-unloader workspace");

QJsonValue optionalNumber(const std::optional<double>& value) {
  return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

// Reading: every value checked for its kind, so that a damaged file says where.
class Reader {
 public:
  explicit Reader(const QJsonObject& object, QString where = {})
      : object_(object), where_(std::move(where)) {}

  QJsonValue value(const char* key, QJsonValue::Type type, bool optional = false) const {
    const QJsonValue value = object_.value(QLatin1String(key));
    if ((value.isUndefined() || value.isNull()) && optional) return QJsonValue(QJsonValue::Undefined);
    if (value.type() != type) fail(key);
    return value;
  }
  QString text(const char* key) const { return value(key, QJsonValue::String).toString(); }
  std::string utf8(const char* key) const { return text(key).toStdString(); }
  bool flag(const char* key) const { return value(key, QJsonValue::Bool).toBool(); }
  double number(const char* key) const {
    const double n = value(key, QJsonValue::Double).toDouble();
    if (!std::isfinite(n)) fail(key);
    return n;
  }
  // A whole number from first to last.
  int whole(const char* key, int first, int last) const {
    const double n = number(key);
    if (n != std::floor(n) || n < first || n > last) fail(key);
    return int(n);
  }
  QJsonArray array(const char* key) const { return value(key, QJsonValue::Array).toArray(); }
  Reader object(const char* key) const {
    return Reader(value(key, QJsonValue::Object).toObject(), where_ + QLatin1String(key) + QLatin1Char('.'));
  }
  Reader element(const QJsonArray& array, int index, const char* key) const {
    if (!array.at(index).isObject()) fail(key);
    return Reader(array.at(index).toObject(),
                  where_ + QLatin1String(key) + QStringLiteral("[%1].").arg(index));
  }
  [[noreturn]] void fail(const char* key) const {
    throw WorkspaceError(WorkspaceReading::tr("файл повреждён: неверное значение «%1»")
                             .arg(where_ + QLatin1String(key))
                             .toStdString());
  }

 private:
  QJsonObject object_;
  QString where_;
};
}  // namespace

QByteArray workspaceJson(const Workspace& workspace, const QDir& base) {
  QJsonArray drives;
  for (const Workspace::Drive& drive : workspace.drives) {
    const QString path = QString::fromStdString(drive.path);
    QString relative = base.relativeFilePath(path);
    const bool inside = !relative.startsWith(QLatin1String("..")) && !QDir::isAbsolutePath(relative);
    drives.append(QJsonObject{{"path", inside ? relative : QDir::cleanPath(path)}, {"offset", drive.offset}});
  }
  QJsonArray series;
  for (const SeriesChoice& s : workspace.series)
    series.append(QJsonObject{
        {"parameter", QString::fromStdString(s.parameter)}, {"shown", s.shown}, {"rightAxis", s.rightAxis}});
  QJsonArray channels;
  for (const ChannelDefinition& channel : workspace.channels)
    channels.append(QJsonObject{{"name", QString::fromStdString(channel.name)},
                                {"formula", QString::fromStdString(channel.formula)}});
  const CellTableSettings& table = workspace.cellTable;
  QJsonObject root{
      {"format", kKind},
      {"version", kWorkspaceVersion},
      {"drives", drives},
      {"series", series},
      {"timeAxis", workspace.timeAxis},
      {"markers", QJsonArray{optionalNumber(workspace.markers[0]), optionalNumber(workspace.markers[1])}},
      {"zoom", workspace.zoom ? QJsonValue(QJsonArray{workspace.zoom->first, workspace.zoom->second})
                              : QJsonValue(QJsonValue::Null)},
      {"channels", channels},
      {"filter", QString::fromStdString(workspace.filter)},
      {"cellTable", QJsonObject{{"x", QString::fromStdString(table.x)},
                                {"y", QString::fromStdString(table.y)},
                                {"z", QString::fromStdString(table.z)},
                                {"xBreaks", QString::fromStdString(table.xBreaks)},
                                {"yBreaks", QString::fromStdString(table.yBreaks)},
                                {"statistic", int(table.statistic)},
                                {"minimumRecords", table.minimumRecords},
                                {"drive", table.drive},
                                {"difference", table.difference}}},
  };
  return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

Workspace readWorkspace(const QByteArray& json, const QDir& base) {
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(json, &error);
  if (error.error != QJsonParseError::NoError)
    throw WorkspaceError(WorkspaceReading::tr("файл повреждён (%1, байт %2)")
                             .arg(error.errorString())
                             .arg(error.offset)
                             .toStdString());
  if (!document.isObject() || document.object().value(QLatin1String("format")).toString() != kKind)
    throw WorkspaceError(WorkspaceReading::tr("это не рабочая область kq-unloader").toStdString());
  const Reader root(document.object());
  const double version = root.number("version");
  if (version > kWorkspaceVersion)
    throw WorkspaceError(
        WorkspaceReading::tr("рабочая область записана более новой версией программы (формат %1, "
                             "эта версия читает формат %2)")
            .arg(version)
            .arg(kWorkspaceVersion)
            .toStdString());
  if (version < 1 || version != std::floor(version)) root.fail("version");

  Workspace workspace;
  const QJsonArray drives = root.array("drives");
  if (drives.isEmpty()) root.fail("drives");
  for (int i = 0; i < drives.size(); ++i) {
    const Reader drive = root.element(drives, i, "drives");
    const QString path = drive.text("path");
    // No file name holds a NUL: the rest of such a path would name another file.
    if (path.contains(QChar(0))) drive.fail("path");
    workspace.drives.push_back(
        {QDir::cleanPath(base.absoluteFilePath(path)).toStdString(), drive.number("offset")});
  }
  const QJsonArray series = root.array("series");
  if (series.size() != kSeriesCount) root.fail("series");
  for (int i = 0; i < kSeriesCount; ++i) {
    const Reader s = root.element(series, i, "series");
    workspace.series[i] = {s.utf8("parameter"), s.flag("shown"), s.flag("rightAxis")};
  }
  workspace.timeAxis = root.flag("timeAxis");
  const QJsonArray markers = root.array("markers");
  if (markers.size() != 2) root.fail("markers");
  for (int m = 0; m < 2; ++m) {
    if (markers.at(m).isNull()) continue;
    if (!markers.at(m).isDouble() || !std::isfinite(markers.at(m).toDouble())) root.fail("markers");
    workspace.markers[m] = markers.at(m).toDouble();
  }
  if (!root.value("zoom", QJsonValue::Array, true).isUndefined()) {
    const QJsonArray zoom = root.array("zoom");
    if (zoom.size() != 2 || !zoom.at(0).isDouble() || !zoom.at(1).isDouble() ||
        !(zoom.at(0).toDouble() < zoom.at(1).toDouble()))
      root.fail("zoom");
    workspace.zoom = std::pair(zoom.at(0).toDouble(), zoom.at(1).toDouble());
  }
  const QJsonArray channels = root.array("channels");
  for (int i = 0; i < channels.size(); ++i) {
    const Reader channel = root.element(channels, i, "channels");
    workspace.channels.push_back({channel.utf8("name"), channel.utf8("formula")});
  }
  workspace.filter = root.utf8("filter");
  const Reader table = root.object("cellTable");
  CellTableSettings& settings = workspace.cellTable;
  settings.x = table.utf8("x");
  settings.y = table.utf8("y");
  settings.z = table.utf8("z");
  settings.xBreaks = table.utf8("xBreaks");
  settings.yBreaks = table.utf8("yBreaks");
  settings.statistic = CellStatistic(table.whole("statistic", 0, int(CellStatistic::maximum)));
  settings.minimumRecords = table.whole("minimumRecords", 1, std::numeric_limits<int>::max());
  if (version >= 2) {
    settings.drive = table.whole("drive", 0, kMaxDrives - 1);
    settings.difference = table.flag("difference");
  }
  return workspace;
}

}  // namespace kq
