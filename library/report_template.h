#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "library/record_moment.h"

namespace kq {

// A check of a report: where its expression holds for at least minSeconds in
// a trip, an event named after it ("Перегрев": "[Температура охлаждающей
// жидкости] > 105", 10 s).
struct ReportCheck {
  std::string name;
  std::string expression;
  Moment minSeconds = 0;
  bool operator==(const ReportCheck&) const = default;
};

// What a report holds: the parameters of its trip table, trends and charts
// (by title), the checks whose events it lists, and how many trips with
// events it charts at most.
struct ReportTemplate {
  static constexpr int kMaxParameters = 10;  // the chart's series
  static constexpr int kMaxCharts = 50;
  std::vector<std::string> parameters;
  std::vector<ReportCheck> checks;
  int charts = 8;
  bool operator==(const ReportTemplate&) const = default;
};

// A template that cannot be read or used: what() names the file or the check
// and what is wrong, in Russian.
class TemplateError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What a controller type's table has of coolant temperature, revolutions,
// voltage and mixture corrections, with the checks of overheating and of a low
// voltage while the engine runs where the type has those parameters.
ReportTemplate defaultReportTemplate(int controllerType);

// The template's JSON, as saved and read: {"format": "kq-report-template",
// "version": 1, "parameters": [...], "checks": [{"name", "expression",
// "min_seconds"}], "charts": N}. Reading throws TemplateError naming what is
// wrong, whatever the text; it does not compile the expressions.
std::string reportTemplateJson(const ReportTemplate& report);
ReportTemplate parseReportTemplate(std::string_view json);

// The same from and to a file (UTF-8 path); FileError when it cannot be read
// or written, TemplateError "шаблон PATH: ..." when it is no template. Saving
// replaces a file only once the new one is complete.
ReportTemplate loadReportTemplate(const std::string& path);
void saveReportTemplate(const std::string& path, const ReportTemplate& report);

}  // namespace kq
