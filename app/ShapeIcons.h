#pragma once

#include <QIcon>
#include <QString>

#include <functional>

class QPainter;

// An icon drawn with the painter at whatever size it is asked for, in the
// palette's button-text colour (its disabled shade for a disabled control):
// no image file is decoded and no image-format plugin is loaded for it, so
// it costs nothing before the first paint. The shape is drawn on a 16 x 16
// grid with the pen and brush already set to that colour (no pen, solid
// brush); each size and mode is drawn once and kept in the pixmap cache
// under name. GUI thread only.
QIcon shapeIcon(const QString &name, std::function<void(QPainter &)> drawOnGrid);
