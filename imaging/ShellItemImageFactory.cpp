#include "imaging/ShellItemImageFactory.h"

#include "util/AppIconLookup.h"

#include <QFileInfo>

ShellResult GetShellItemImage(const QString &path, int width, int height, QImage &image)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return ShellFileNotFound;
    if (width <= 0 || height <= 0)
        return ShellFail;
    QImage picture = ApplicationIconImage(path, QSize(width, height));
    if (picture.isNull())
        return ShellNoImage;
    image = std::move(picture);
    return ShellOk;
}

bool GetShellItemBitmap(const QString &path, int width, int height, std::unique_ptr<QImage> &bitmap)
{
    bitmap.reset();
    QImage image;
    if (GetShellItemImage(path, width, height, image) != ShellOk)
        return false;
    bitmap = std::make_unique<QImage>(std::move(image));
    return true;
}
