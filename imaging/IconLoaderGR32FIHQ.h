#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>

class Image32;
class ImageList;

// High-quality icon scaling for the toolbar's image list. A "bitmap" here is a
// QImage: Format_ARGB32 words pass to and from a 32-bit image unchanged, any
// format without alpha comes out fully opaque.

// Attaches kernel selector 1..14 (ResamplerKernels.h) to image and returns
// true; any other selector changes nothing and returns false.
bool SetResamplerKernel(Image32 &image, int selector);

// The size of a sourceWidth x sourceHeight picture fitted into box, keeping
// its aspect ratio (results rounded half to even). With doNotEnlarge a source
// smaller than the box on both sides keeps its own size. A source with no
// area gets the box.
QSize FitSizeKeepAspect(int sourceWidth, int sourceHeight, bool doNotEnlarge, QSize box);

// destination takes the bitmap's size and pixels; a null bitmap counts as an
// empty one.
void CopyBitmapToImage32(const QImage &bitmap, Image32 &destination);
// A Format_ARGB32 bitmap with the image's pixel words; null for an empty image.
QImage CopyImage32ToBitmap(const Image32 &image);

// Scales source into the box width x height as destination. Sources of the
// box's size (or smaller, with doNotEnlarge and without centre) are copied,
// never resampled. Otherwise destination is the box (with centre) or the
// fitted size, filled with fillColour (0xAARRGGBB), and the source is
// resampled into it with kernel; with centre it sits in the middle, offsets
// truncated. A null source draws nothing onto the fill.
void StretchBitmapHQ(const QImage &source, int width, int height, Image32 &destination, bool keepAspect,
    bool doNotEnlarge, bool centre, int kernel, std::uint32_t fillColour);

// The image that AddIconResourceToImageList appends for icon group name at
// loadSize pixels to a list of cell size cell: the group's image written to a
// one-image icon file, decoded through FreeImage and scaled to the cell with
// the Lanczos kernel. Never fails: without FreeImage, or when anything goes
// wrong, the result is a fully transparent cell.
QImage IconResourceImageForCell(const QString &name, int loadSize, QSize cell);

// Appends that image to list (always exactly one image, so the list's
// indices stay where its users expect them).
void AddIconResourceToImageList(const QString &name, ImageList &list, int loadSize);
