#include "imaging/ShellItemImageFactory.h"

#include "util/AppIconLookup.h"

#include <QFileInfo>

QImage GetShellItemImage(const QString &path, int width, int height)
{
    if (path.isEmpty() || width <= 0 || height <= 0 || !QFileInfo::exists(path))
        return {};
    return ApplicationIconImage(path, QSize(width, height));
}
