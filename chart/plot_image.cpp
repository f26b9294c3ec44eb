#include "chart/plot_image.h"

#include <qcustomplot.h>

#include <QBuffer>
#include <QPdfWriter>

namespace kq {

std::optional<ImageFormat> imageFormatOf(const QString& path) {
  if (path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) return ImageFormat::png;
  if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) return ImageFormat::pdf;
  return std::nullopt;
}

QByteArray plotImage(QCustomPlot& plot, ImageFormat format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  const QSize size = plot.size();
  if (format == ImageFormat::png) {
    // Drawn as on screen: QCustomPlot's toPixmap strokes each series as one
    // wide polyline, which takes seconds for a noisy full dump.
    plot.replot();
    plot.grab().save(&buffer, "PNG");
    return bytes;
  }
  // As QCustomPlot's own savePdf, but into memory: a page of the plot's size
  // in points, drawn in the plot's pixel coordinates.
  QPdfWriter writer(&buffer);
  writer.setCreator(QStringLiteral("kq-unloader"));
  writer.setPageLayout(
      QPageLayout(QPageSize(QSizeF(size), QPageSize::Point, QString(), QPageSize::ExactMatch),
                  QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
  QCPPainter painter;
  if (painter.begin(&writer)) {
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    painter.setWindow(QRect(QPoint(0, 0), size));
    plot.toPainter(&painter, size.width(), size.height());
    painter.end();
  }
  return bytes;
}

}  // namespace kq
