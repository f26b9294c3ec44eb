#include "library/report_template.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <algorithm>
#include <climits>

#include "base/safe_file.h"
#include "decode/parameter_table.h"

namespace kq {
namespace {

constexpr const char* kFormat = "kq-report-template";
constexpr int kVersion = 1;
// A template is a few lines; anything far larger is no template.
constexpr std::size_t kMaxFileBytes = 1 << 20;

constexpr const char* kCoolant = "Температура охлаждающей жидкости";
constexpr const char* kRevolutions = "Обороты двигателя";
constexpr const char* kVoltage = "Напряжение бортсети";
// The mixture corrections of the types' tables, as they name them.
constexpr const char* kCorrections[] = {
    "Коэффициент коррекции времени впрыска",
    "Текущий коэффициент коррекции длительности впрыска",
    "Мультипликативная составляющая коррекции",
    "Аддитивная составляющая коррекции самообучением",
    "Мультипликативная составляющая фактора адаптации состава смеси",
    "Аддитивная составляющая фактора адаптации состава смееси",
    "Фактор коррекции смеси на переходном режиме",
};

QString qt(const std::string& text) { return QString::fromStdString(text); }

[[noreturn]] void refuse(const std::string& what) { throw TemplateError("шаблон отчёта: " + what); }

std::string stringAt(const QJsonObject& object, const char* key, const std::string& where) {
  const QJsonValue value = object.value(QLatin1String(key));
  if (!value.isString()) refuse(where + ": «" + key + "» должен быть текстом");
  return value.toString().toStdString();
}

}  // namespace

ReportTemplate defaultReportTemplate(int controllerType) {
  std::vector<std::string> titles;
  for (const ParameterColumn& column : parameterTable(controllerType)) titles.emplace_back(column.title);
  const auto has = [&titles](const char* title) {
    return std::find(titles.begin(), titles.end(), title) != titles.end();
  };
  ReportTemplate report;
  for (const char* title : {kCoolant, kRevolutions, kVoltage})
    if (has(title)) report.parameters.emplace_back(title);
  for (const char* title : kCorrections)
    if (has(title) && report.parameters.size() < 6) report.parameters.emplace_back(title);
  if (has(kCoolant)) report.checks.push_back({"Перегрев", std::string("[") + kCoolant + "] > 105", 10});
  if (has(kVoltage) && has(kRevolutions))
    report.checks.push_back(
        {"Низкое напряжение", std::string("[") + kRevolutions + "] > 0 && [" + kVoltage + "] < 12", 30});
  return report;
}

std::string reportTemplateJson(const ReportTemplate& report) {
  QJsonArray parameters;
  for (const std::string& title : report.parameters) parameters.append(qt(title));
  QJsonArray checks;
  for (const ReportCheck& check : report.checks)
    checks.append(QJsonObject{{"name", qt(check.name)},
                              {"expression", qt(check.expression)},
                              {"min_seconds", double(check.minSeconds)}});
  const QJsonObject object{{"format", kFormat},
                           {"version", kVersion},
                           {"parameters", parameters},
                           {"checks", checks},
                           {"charts", report.charts}};
  return QJsonDocument(object).toJson(QJsonDocument::Indented).toStdString();
}

ReportTemplate parseReportTemplate(std::string_view json) {
  QJsonParseError error{};
  const QJsonDocument document =
      QJsonDocument::fromJson(QByteArray(json.data(), qsizetype(json.size())), &error);
  if (error.error != QJsonParseError::NoError)
    refuse("не JSON (символ " + std::to_string(error.offset + 1) + ": " + error.errorString().toStdString() +
           ")");
  const QJsonObject object = document.object();
  if (!document.isObject() || object.value("format").toString() != QLatin1String(kFormat))
    refuse(std::string("это не шаблон отчёта (нет \"format\": \"") + kFormat + "\")");
  if (object.value("version").toInt(INT_MAX) > kVersion) refuse("записан более новой версией программы");

  ReportTemplate report;
  const QJsonValue parameters = object.value("parameters");
  if (!parameters.isArray()) refuse("«parameters» должен быть списком названий параметров");
  for (const QJsonValue& title : parameters.toArray()) {
    if (!title.isString() || title.toString().isEmpty()) refuse("в «parameters» не название параметра");
    report.parameters.push_back(title.toString().toStdString());
  }
  if (report.parameters.size() > std::size_t(ReportTemplate::kMaxParameters))
    refuse("параметров больше " + std::to_string(ReportTemplate::kMaxParameters));

  const QJsonValue checks = object.value("checks");
  if (!checks.isUndefined() && !checks.isArray()) refuse("«checks» должен быть списком проверок");
  int number = 0;
  for (const QJsonValue& value : checks.toArray()) {
    const std::string where = "проверка " + std::to_string(++number);
    if (!value.isObject()) refuse(where + " — не объект");
    const QJsonObject check = value.toObject();
    ReportCheck read{stringAt(check, "name", where), stringAt(check, "expression", where), 0};
    if (read.name.empty()) refuse(where + ": пустое название");
    const QJsonValue seconds = check.value("min_seconds");
    if (!seconds.isUndefined()) {
      const double s = seconds.toDouble(-1);
      if (!seconds.isDouble() || s < 0 || s > INT_MAX || s != double(Moment(s)))
        refuse("проверка «" + read.name + "»: «min_seconds» должно быть целым числом секунд от 0");
      read.minSeconds = Moment(s);
    }
    report.checks.push_back(std::move(read));
  }

  const QJsonValue charts = object.value("charts");
  if (!charts.isUndefined()) {
    const double n = charts.toDouble(-1);
    if (!charts.isDouble() || n < 0 || n > ReportTemplate::kMaxCharts || n != double(int(n)))
      refuse("«charts» должно быть целым числом от 0 до " + std::to_string(ReportTemplate::kMaxCharts));
    report.charts = int(n);
  }
  return report;
}

ReportTemplate loadReportTemplate(const std::string& path) {
  const std::string text = readWholeFile(path, kMaxFileBytes);
  try {
    return parseReportTemplate(text);
  } catch (const TemplateError& error) {
    // "шаблон отчёта: X" becomes "шаблон отчёта PATH: X".
    std::string message = error.what();
    message.insert(std::string_view("шаблон отчёта").size(), " " + path);
    throw TemplateError(message);
  }
}

void saveReportTemplate(const std::string& path, const ReportTemplate& report) {
  writeFileSafely(path, reportTemplateJson(report));
}

}  // namespace kq
