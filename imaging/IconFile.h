#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

// Reading and writing Windows icon (.ico) files: the program's icon groups are
// stored in this format in its Qt resources.

// Sizes of the images an icon file holds, in file order; empty when the data
// is not an icon file.
QList<QSize> IconFileSizes(const QByteArray &ico);

// The image of an icon file that best matches size x size, as the image
// Format_ARGB32 (straight alpha): the exact size when present, else the
// smallest larger image, else the largest. Null when nothing decodes.
QImage IconFileImage(const QByteArray &ico, int size);

// The icon group name (for example "16QUESTION") loaded from the program's
// resources at size x size pixels, by the rule above. Null when the group does
// not exist.
QImage LoadIconGroup(const QString &name, int size);
// The raw icon file of a group, empty when it does not exist.
QByteArray IconGroupData(const QString &name);

// A one-image icon file holding icon: directory, one entry, the colour image
// as a 32-bit bottom-up bitmap with its alpha, then the 1-bit mask (set where
// alpha is 0). Empty for a null or oversized image.
QByteArray WriteSingleImageIco(const QImage &icon);
