#pragma once

#include <QString>

class QCustomPlot;
class QMenu;
class QWidget;

namespace kq {

// Writes the plot at its size on screen to path, PNG or PDF by the
// extension, ".png" added to a name with neither. Replaces a file only when
// the new one is complete; throws FileError with the system's message.
void savePlotImage(QCustomPlot& plot, const QString& path);

// Puts the plot at its size on screen on the clipboard as an image.
void copyPlotImage(QCustomPlot& plot);

// Adds "Сохранить изображение…" (a file dialog, then savePlotImage, a
// failure shown in an error box) and "Копировать изображение" to a menu.
void addImageActions(QMenu& menu, QCustomPlot& plot, QWidget& dialogParent);

}  // namespace kq
