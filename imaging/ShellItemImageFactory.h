#pragma once

#include <QImage>
#include <QString>

// A file's picture as the desktop shows it, at a requested size; for
// applications this is their icon (util/AppIconLookup.h). The picture may
// come larger or smaller than asked (it is not scaled here). Null when path
// does not exist, the size is empty, or the file has no picture.
QImage GetShellItemImage(const QString &path, int width, int height);
