#include "imaging/IconLoaderGR32FIHQ.h"

#include "imaging/FreeImageLoader.h"
#include "imaging/IconFile.h"
#include "imaging/Image32.h"
#include "imaging/ImageList.h"
#include "imaging/ResamplerKernels.h"

#include <cmath>
#include <cstring>

bool SetResamplerKernel(Image32 &image, int selector)
{
    if (!IsResamplerKernel(selector))
        return false;
    image.setResamplerKernelSelector(selector);
    return true;
}

QSize FitSizeKeepAspect(int sourceWidth, int sourceHeight, bool doNotEnlarge, QSize box)
{
    if (doNotEnlarge && sourceWidth < box.width() && sourceHeight < box.height())
        return QSize(sourceWidth, sourceHeight);
    if (sourceWidth <= 0 || sourceHeight <= 0)
        return box;
    const double sx = double(box.width()) / double(sourceWidth);
    const double sy = double(box.height()) / double(sourceHeight);
    const double s = sy < sx ? sy : sx;
    // nearbyint rounds half to even in the default rounding mode.
    return QSize(int(std::nearbyint(s * sourceWidth)), int(std::nearbyint(s * sourceHeight)));
}

void CopyBitmapToImage32(const QImage &bitmap, Image32 &destination)
{
    if (bitmap.isNull()) {
        destination.setSize(0, 0);
        return;
    }
    QImage words;
    switch (bitmap.format()) {
    case QImage::Format_ARGB32:
    case QImage::Format_RGB32: // Qt keeps its alpha byte at 0xFF
        words = bitmap;
        break;
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied:
        words = bitmap.convertToFormat(QImage::Format_ARGB32);
        break;
    default:
        words = bitmap.convertToFormat(QImage::Format_RGB32);
        break;
    }
    destination.setSize(words.width(), words.height());
    for (int y = 0; y < words.height(); ++y)
        std::memcpy(destination.scanLine(y), words.constScanLine(y), std::size_t(words.width()) * 4);
}

QImage CopyImage32ToBitmap(const Image32 &image)
{
    if (image.isEmpty())
        return {};
    QImage bitmap(image.width(), image.height(), QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(bitmap.scanLine(y), image.scanLine(y), std::size_t(image.width()) * 4);
    return bitmap;
}

void StretchBitmapHQ(const QImage &source, int width, int height, Image32 &destination, bool keepAspect,
    bool doNotEnlarge, bool centre, int kernel, std::uint32_t fillColour)
{
    const int sw = source.isNull() ? 0 : source.width();
    const int sh = source.isNull() ? 0 : source.height();
    if ((doNotEnlarge && !centre && sw < width && sh < height) || (sw == width && sh == height)) {
        CopyBitmapToImage32(source, destination);
        return;
    }

    Image32 scratch;
    CopyBitmapToImage32(source, scratch);
    SetResamplerKernel(scratch, kernel);

    const QSize fitted = keepAspect
        ? FitSizeKeepAspect(scratch.width(), scratch.height(), doNotEnlarge, QSize(width, height))
        : QSize(width, height);
    const int dw = fitted.width();
    const int dh = fitted.height();
    int ox = 0;
    int oy = 0;
    if (centre) {
        destination.setSize(width, height);
        ox = (width - dw) / 2;
        oy = (height - dh) / 2;
    } else {
        destination.setSize(dw, dh);
    }
    destination.fill(fillColour);
    scratch.drawTo(destination, ox, oy, dw, dh);
}

QImage IconResourceImageForCell(const QString &name, int loadSize, QSize cell)
{
    Image32 decoded;
    const QImage icon = LoadIconGroup(name, loadSize);
    const QByteArray ico = WriteSingleImageIco(icon);
    if (!ico.isEmpty())
        DecodeImageFromMemory(ico.constData(), std::size_t(ico.size()), decoded);
    const QImage bitmap = CopyImage32ToBitmap(decoded);
    StretchBitmapHQ(bitmap, cell.width(), cell.height(), decoded, false, false, false, LanczosKernel, 0);
    // A stock image that cannot be made leaves a transparent cell, so the
    // list's indices stay where the toolbar expects them.
    QImage result = CopyImage32ToBitmap(decoded);
    if (result.size() != cell && cell.isValid()) {
        result = QImage(cell, QImage::Format_ARGB32);
        result.fill(Qt::transparent);
    }
    return result;
}

void AddIconResourceToImageList(const QString &name, ImageList &list, int loadSize)
{
    list.add(QPixmap::fromImage(IconResourceImageForCell(name, loadSize, list.cellSize())));
}
