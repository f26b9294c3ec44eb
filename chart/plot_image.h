#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <optional>

class QCustomPlot;

namespace kq {

enum class ImageFormat { png, pdf };

// The format a file name asks for by its extension (".png" or ".pdf", in
// any case), or nothing.
std::optional<ImageFormat> imageFormatOf(const QString& path);

// The plot as it draws itself at its size: a PNG image, or a one-page PDF of
// that many points with the lines as vectors.
QByteArray plotImage(QCustomPlot& plot, ImageFormat format);

}  // namespace kq
