#include "chart/image_actions.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QFileDialog>
#include <QMenu>

#include "base/safe_file.h"
#include "chart/plot_image.h"
#include "ui/error_box.h"

namespace kq {
namespace {
// The context translators find these texts in.
class ImageActions {
  Q_DECLARE_TR_FUNCTIONS(kq::ImageActions)
};

const QString kPngFilter = QStringLiteral("PNG (*.png)");
const QString kPdfFilter = QStringLiteral("PDF (*.pdf)");

// The dialog adds the suffix of the chosen type to a name without one, before
// it asks whether to replace an existing file.
QString askImagePath(QWidget& parent) {
  QFileDialog dialog(&parent, ImageActions::tr("Сохранить изображение"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters({kPngFilter, kPdfFilter});
  dialog.setDefaultSuffix(QStringLiteral("png"));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    dialog.setDefaultSuffix(filter == kPdfFilter ? QStringLiteral("pdf") : QStringLiteral("png"));
  });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}
}  // namespace

void savePlotImage(QCustomPlot& plot, const QString& path) {
  auto format = imageFormatOf(path);
  const QString target = format ? path : path + QStringLiteral(".png");
  const QByteArray bytes = plotImage(plot, format.value_or(ImageFormat::png));
  writeFileSafely(target.toStdString(), std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

void copyPlotImage(QCustomPlot& plot) {
  plot.replot();
  QApplication::clipboard()->setPixmap(plot.grab());
}

void addImageActions(QMenu& menu, QCustomPlot& plot, QWidget& dialogParent) {
  QObject::connect(menu.addAction(ImageActions::tr("Сохранить изображение…")), &QAction::triggered, &plot,
                   [&plot, &dialogParent] {
                     const QString path = askImagePath(dialogParent);
                     if (path.isEmpty()) return;
                     try {
                       savePlotImage(plot, path);
                     } catch (const std::exception& error) {
                       showErrorBox(&dialogParent, QString::fromUtf8(error.what()));
                     }
                   });
  QObject::connect(menu.addAction(ImageActions::tr("Копировать изображение")), &QAction::triggered, &plot,
                   [&plot] { copyPlotImage(plot); });
}

}  // namespace kq
