#include "imaging/IconFile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QtEndian>

#include <cstring>

namespace {

constexpr int DirectorySize = 6;
constexpr int EntrySize = 16;
constexpr int InfoHeaderSize = 40;
// One entry's width/height byte holds 0 for 256; larger images do not fit.
constexpr int MaxIconSide = 256;

struct DirectoryEntry
{
    QSize size;
    quint32 bytes = 0;
    quint32 offset = 0;
};

QList<DirectoryEntry> readDirectory(const QByteArray &ico)
{
    QList<DirectoryEntry> entries;
    if (ico.size() < DirectorySize)
        return entries;
    const auto *p = reinterpret_cast<const uchar *>(ico.constData());
    if (qFromLittleEndian<quint16>(p) != 0 || qFromLittleEndian<quint16>(p + 2) != 1)
        return entries;
    const int count = qFromLittleEndian<quint16>(p + 4);
    if (ico.size() < DirectorySize + count * EntrySize)
        return entries;
    for (int i = 0; i < count; ++i) {
        const uchar *e = p + DirectorySize + i * EntrySize;
        DirectoryEntry entry;
        entry.size = QSize(e[0] ? e[0] : MaxIconSide, e[1] ? e[1] : MaxIconSide);
        entry.bytes = qFromLittleEndian<quint32>(e + 8);
        entry.offset = qFromLittleEndian<quint32>(e + 12);
        if (quint64(entry.offset) + entry.bytes > quint64(ico.size()))
            return {};
        entries.append(entry);
    }
    return entries;
}

// A 32-bit icon bitmap: header with doubled height, bottom-up BGRA rows, mask.
QImage decodeBitmap32(const uchar *data, quint32 bytes)
{
    if (bytes < quint32(InfoHeaderSize))
        return {};
    const qint32 width = qFromLittleEndian<qint32>(data + 4);
    const qint32 height = qFromLittleEndian<qint32>(data + 8) / 2;
    const quint16 bpp = qFromLittleEndian<quint16>(data + 14);
    const quint32 headerSize = qFromLittleEndian<quint32>(data);
    if (bpp != 32 || width <= 0 || height <= 0 || width > MaxIconSide || height > MaxIconSide)
        return {};
    const quint64 needed = quint64(headerSize) + quint64(width) * quint64(height) * 4;
    if (needed > bytes)
        return {};
    QImage image(width, height, QImage::Format_ARGB32);
    const uchar *rows = data + headerSize;
    for (int y = 0; y < height; ++y) {
        const uchar *row = rows + std::size_t(height - 1 - y) * std::size_t(width) * 4;
        auto *out = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            out[x] = qFromLittleEndian<quint32>(row + 4 * x);
    }
    return image;
}

QImage decodeEntry(const QByteArray &ico, const DirectoryEntry &entry)
{
    const auto *data = reinterpret_cast<const uchar *>(ico.constData()) + entry.offset;
    static const char PngSignature[] = "\x89PNG\r\n\x1a\n";
    QImage image;
    if (entry.bytes >= 8 && std::memcmp(data, PngSignature, 8) == 0)
        image = QImage::fromData(data, int(entry.bytes), "PNG");
    else
        image = decodeBitmap32(data, entry.bytes);
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}

int pickEntry(const QList<DirectoryEntry> &entries, int size)
{
    int best = -1;
    for (int i = 0; i < entries.size(); ++i) {
        const int side = entries[i].size.width();
        if (side == size && entries[i].size.height() == size)
            return i;
        if (best < 0)
            best = i;
        const int bestSide = entries[best].size.width();
        const bool larger = side > size;
        const bool bestLarger = bestSide > size;
        if ((larger && (!bestLarger || side < bestSide)) || (!larger && !bestLarger && side > bestSide))
            best = i;
    }
    return best;
}

void appendLe16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void appendLe32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

} // namespace

QList<QSize> IconFileSizes(const QByteArray &ico)
{
    QList<QSize> sizes;
    for (const DirectoryEntry &e : readDirectory(ico))
        sizes.append(e.size);
    return sizes;
}

QImage IconFileImage(const QByteArray &ico, int size)
{
    const QList<DirectoryEntry> entries = readDirectory(ico);
    const int index = pickEntry(entries, size);
    if (index < 0)
        return {};
    QImage image = decodeEntry(ico, entries[index]);
    if (!image.isNull())
        return image;
    // Depths our own files never use: let Qt's reader have a go.
    QBuffer buffer;
    buffer.setData(ico);
    QImageReader reader(&buffer, "ico");
    if (reader.jumpToImage(index))
        image = reader.read();
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}

// Outside any namespace, as Q_INIT_RESOURCE requires.
static void initIconResources()
{
    Q_INIT_RESOURCE(resources);
}

QByteArray IconGroupData(const QString &name)
{
    static const bool registered = (initIconResources(), true);
    Q_UNUSED(registered);
    QFile file(QStringLiteral(":/icons/") + name + QStringLiteral(".ico"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QImage LoadIconGroup(const QString &name, int size)
{
    return IconFileImage(IconGroupData(name), size);
}

QByteArray WriteSingleImageIco(const QImage &icon)
{
    if (icon.isNull() || icon.width() > MaxIconSide || icon.height() > MaxIconSide)
        return {};
    const QImage image = icon.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width();
    const int h = image.height();
    const int maskStride = ((w + 31) / 32) * 4;
    const quint32 colourBytes = quint32(w) * quint32(h) * 4;
    const quint32 maskBytes = quint32(maskStride) * quint32(h);
    const quint32 imageBytes = quint32(InfoHeaderSize) + colourBytes + maskBytes;

    QByteArray out;
    out.reserve(int(DirectorySize + EntrySize + imageBytes));
    appendLe16(out, 0); // reserved
    appendLe16(out, 1); // type: icon
    appendLe16(out, 1); // one image
    out.append(char(w == MaxIconSide ? 0 : w));
    out.append(char(h == MaxIconSide ? 0 : h));
    out.append(char(0)); // no palette
    out.append(char(0));
    appendLe16(out, 1); // planes
    appendLe16(out, 32); // bits per pixel
    appendLe32(out, imageBytes);
    appendLe32(out, DirectorySize + EntrySize);

    appendLe32(out, InfoHeaderSize);
    appendLe32(out, quint32(w));
    appendLe32(out, quint32(h * 2)); // colour image and mask
    appendLe16(out, 1);
    appendLe16(out, 32);
    appendLe32(out, 0); // BI_RGB
    appendLe32(out, colourBytes + maskBytes);
    appendLe32(out, 0);
    appendLe32(out, 0);
    appendLe32(out, 0);
    appendLe32(out, 0);

    for (int y = h - 1; y >= 0; --y) {
        const auto *row = reinterpret_cast<const quint32 *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            appendLe32(out, row[x]);
    }
    for (int y = h - 1; y >= 0; --y) {
        const auto *row = reinterpret_cast<const quint32 *>(image.constScanLine(y));
        QByteArray mask(maskStride, '\0');
        for (int x = 0; x < w; ++x)
            if ((row[x] >> 24) == 0)
                mask[x / 8] = char(uchar(mask[x / 8]) | (0x80 >> (x % 8)));
        out.append(mask);
    }
    return out;
}
