// The resampler against an independent implementation: ImageMagick's Lanczos
// resize (3 lobes, kernel stretched on reduction, pixel centres aligned as
// ours), which weights colours by alpha as we do.
//
// One systematic difference is ImageMagick's, not ours: its Q16 build rounds
// and clamps the image between the horizontal and the vertical pass, so the
// Lanczos overshoot at a sharp edge is cut off halfway. Fed a plain RGBA icon,
// its result differs from the exact two-dimensional sum by up to 15 units of
// alpha and 10 of colour beside sharp edges. So the comparison hands
// ImageMagick the two linear parts of the alpha-weighted resize separately,
// each squeezed into [0.25, 0.75] at 16 bits so no overshoot reaches a clamp:
// the alpha channel, and the colours premultiplied by alpha. Since its weights
// sum to one, un-squeezing and dividing gives its alpha-weighted result
// without the intermediate clamp.
//
// The other difference is the edge rule. Where a window reaches past the
// border we repeat the edge pixel; ImageMagick drops the missing positions and
// renormalises the rest, which moves border pixels by up to 14 units on an
// icon whose picture touches its edge. So ImageMagick gets the source with
// its edge pixels repeated beyond the border, farther than any window
// reaches, and the matching part of its output is compared.
#include "imaging/IconFile.h"
#include "imaging/IconLoaderGR32FIHQ.h"
#include "imaging/Image32.h"
#include "imaging/ResamplerKernels.h"
#include "support/TempDir.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double Squeeze = 0.5;
constexpr double Lift = 0.25;

QImage resize16(const TempDir &dir, const QImage &source, int w, int h)
{
    const QString in = dir.filePath(QStringLiteral("in.png"));
    const QString out = dir.filePath(QStringLiteral("out.png"));
    if (!source.save(in, "PNG"))
        return {};
    QProcess convert;
    convert.start(QStringLiteral("convert"),
        { in, QStringLiteral("-filter"), QStringLiteral("Lanczos"), QStringLiteral("-resize"),
            QStringLiteral("%1x%2!").arg(w).arg(h), QStringLiteral("PNG48:") + out });
    if (!convert.waitForFinished(60000) || convert.exitCode() != 0)
        return {};
    return QImage(out).convertToFormat(QImage::Format_RGBA64);
}

quint16 squeezed(double unit)
{
    return quint16(std::lround((Lift + Squeeze * unit) * 65535.0));
}

double unsqueezed(quint16 value)
{
    return (value / 65535.0 - Lift) / Squeeze;
}

// Padding in source pixels for one axis: beyond the kernel's reach, and a
// whole number of output pixels so the output grid stays aligned.
int padding(int n, int m, int &outputPadding)
{
    const double reach = 3.0 * std::max(1.0, double(n) / m);
    int p = int(std::ceil(reach)) + 1;
    while ((p * m) % n != 0)
        ++p;
    outputPadding = p * m / n;
    return p;
}

// ImageMagick's alpha-weighted Lanczos resize of source, finished by the
// same rounding rules as ours.
QImage imageMagickResize(const TempDir &dir, const QImage &source, int w, int h)
{
    int qx = 0, qy = 0;
    const int px = padding(source.width(), w, qx);
    const int py = padding(source.height(), h, qy);
    const QSize padded(source.width() + 2 * px, source.height() + 2 * py);
    QImage alpha(padded, QImage::Format_RGBA64);
    QImage premultiplied(padded, QImage::Format_RGBA64);
    for (int y = 0; y < padded.height(); ++y)
        for (int x = 0; x < padded.width(); ++x) {
            const QRgb p
                = source.pixel(std::clamp(x - px, 0, source.width() - 1), std::clamp(y - py, 0, source.height() - 1));
            const double a = qAlpha(p) / 255.0;
            const quint16 s = squeezed(a);
            alpha.setPixelColor(x, y, QColor::fromRgba64(s, s, s, 65535));
            premultiplied.setPixelColor(x, y,
                QColor::fromRgba64(squeezed(a * qRed(p) / 255.0), squeezed(a * qGreen(p) / 255.0),
                    squeezed(a * qBlue(p) / 255.0), 65535));
        }
    const QSize paddedOut(w + 2 * qx, h + 2 * qy);
    const QImage alphaOut = resize16(dir, alpha, paddedOut.width(), paddedOut.height());
    const QImage colourOut = resize16(dir, premultiplied, paddedOut.width(), paddedOut.height());
    if (alphaOut.size() != paddedOut || colourOut.size() != paddedOut)
        return {};
    QImage result(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double a = unsqueezed(alphaOut.pixelColor(x + qx, y + qy).rgba64().red()) * 255.0;
            const int alphaByte = int(std::clamp(std::floor(a + 0.5), 0.0, 255.0));
            if (alphaByte == 0) {
                result.setPixel(x, y, 0);
                continue;
            }
            const QRgba64 c = colourOut.pixelColor(x + qx, y + qy).rgba64();
            auto channel = [a](quint16 v) {
                return int(std::clamp(std::floor(unsqueezed(v) * 255.0 * 255.0 / a + 0.5), 0.0, 255.0));
            };
            result.setPixel(x, y, qRgba(channel(c.red()), channel(c.green()), channel(c.blue()), alphaByte));
        }
    return result;
}

QImage ours(const QImage &source, int w, int h)
{
    Image32 out;
    StretchBitmapHQ(source, w, h, out, false, false, false, LanczosKernel, 0);
    return CopyImage32ToBitmap(out);
}

struct Difference
{
    int alpha = 0;
    int colour = 0;
};

// ImageMagick's answer travels in 16 bits, premultiplied: its colour carries
// an error of about 2 / alpha units, so colour is compared where alpha is at
// least this.
constexpr int ColourAlphaFloor = 8;

Difference compare(const QImage &a, const QImage &b)
{
    Difference d;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            d.alpha = std::max(d.alpha, std::abs(qAlpha(p) - qAlpha(q)));
            if (std::min(qAlpha(p), qAlpha(q)) < ColourAlphaFloor)
                continue;
            d.colour = std::max({ d.colour, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                std::abs(qBlue(p) - qBlue(q)) });
        }
    return d;
}

struct Case
{
    const char *group;
    int loadSize;
    int target;
};

class ImageMagickCompare : public testing::TestWithParam<Case>
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("convert")).isEmpty())
            GTEST_FAIL() << "ImageMagick's convert is a test dependency (scripts/install-deps.sh)";
    }
    TempDir dir;
};

TEST_P(ImageMagickCompare, IconsResampleWithinOneUnit)
{
    const Case c = GetParam();
    const QImage source = LoadIconGroup(QString::fromLatin1(c.group), c.loadSize);
    ASSERT_EQ(source.width(), c.loadSize);
    const QImage reference = imageMagickResize(dir, source, c.target, c.target);
    ASSERT_EQ(reference.size(), QSize(c.target, c.target));
    const Difference d = compare(ours(source, c.target, c.target), reference);
    EXPECT_LE(d.alpha, 1);
    EXPECT_LE(d.colour, 1);
}

INSTANTIATE_TEST_SUITE_P(Icons, ImageMagickCompare,
    testing::Values(Case { "16QUESTION", 48, 32 }, Case { "16QUESTION", 48, 40 }, Case { "17STAR", 128, 32 },
        Case { "17STAR", 128, 48 }, Case { "17STAR", 128, 40 }, Case { "00MAINICON", 64, 40 },
        Case { "00MAINICON", 16, 40 }, Case { "16QUESTION", 256, 36 }));

TEST_F(ImageMagickCompare, SemiTransparentEdgeCase)
{
    // A half-transparent rim around an opaque block on transparent black,
    // away from the image border.
    QImage source(48, 48, QImage::Format_ARGB32);
    source.fill(0);
    for (int y = 10; y < 38; ++y)
        for (int x = 10; x < 38; ++x) {
            const bool rim = x == 10 || y == 10 || x == 37 || y == 37;
            source.setPixel(x, y, rim ? qRgba(230, 40, 90, 96) : qRgba(30 + x * 4, 200 - y * 3, 70, 255));
        }
    for (int target : { 32, 20, 70 }) {
        const QImage reference = imageMagickResize(dir, source, target, target);
        ASSERT_EQ(reference.size(), QSize(target, target));
        const Difference d = compare(ours(source, target, target), reference);
        EXPECT_LE(d.alpha, 1) << target;
        EXPECT_LE(d.colour, 1) << target;
    }
}

} // namespace
