#pragma once

#include <QByteArray>
#include <QImage>

#include "library/car_history.h"
#include "library/car_report.h"

namespace kq {

// A car's report on A4 pages: the header, the events of its checks, the
// comparison with the span before, the trips with their parameters, a trend
// per parameter and the charts of trips with events as the chart window
// draws them, the events' intervals shaded. Tables that do not fit continue
// on the next page under their header; every page is numbered. Text is in
// DejaVu Sans (or the system's font where it is missing), which has Cyrillic.
// Needs the application object of Qt Widgets; the history is the report's.
class ReportDocument {
 public:
  ReportDocument(const CarReport& report, const CarHistory& history);
  // It keeps both by reference: a temporary report would be gone before it is drawn.
  ReportDocument(CarReport&& report, const CarHistory& history) = delete;

  // The whole report as a PDF file's bytes. Throws std::runtime_error when
  // it cannot be drawn.
  QByteArray pdf() const;
  // The first page, `width` pixels wide, for a preview.
  QImage firstPage(int width) const;
  int pageCount() const;

 private:
  const CarReport& report_;
  const CarHistory& history_;
};

}  // namespace kq
