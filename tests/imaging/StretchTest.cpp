#include "imaging/IconLoaderGR32FIHQ.h"
#include "imaging/Image32.h"
#include "imaging/ResamplerKernels.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

struct FitCase
{
    int sw, sh;
    bool doNotEnlarge;
    int w, h;
    int expectW, expectH;
};

class FitSizeKeepAspectTest : public testing::TestWithParam<FitCase>
{
};

TEST_P(FitSizeKeepAspectTest, Fits)
{
    const FitCase c = GetParam();
    EXPECT_EQ(FitSizeKeepAspect(c.sw, c.sh, c.doNotEnlarge, QSize(c.w, c.h)), QSize(c.expectW, c.expectH));
}

INSTANTIATE_TEST_SUITE_P(Cases, FitSizeKeepAspectTest,
    testing::Values(FitCase { 100, 50, false, 40, 40, 40, 20 }, FitCase { 20, 10, true, 40, 40, 20, 10 },
        FitCase { 20, 10, false, 40, 40, 40, 20 }, FitCase { 50, 100, false, 40, 40, 20, 40 },
        // Only one side smaller: do-not-enlarge does not apply, the picture shrinks.
        FitCase { 20, 60, true, 40, 40, 13, 40 },
        // 5 x 2.5 = 12.5, 7 x 2.5 = 17.5, 1 x 2.5 = 2.5: halves go to the even neighbour.
        FitCase { 5, 2, false, 100, 5, 12, 5 }, FitCase { 7, 2, false, 100, 5, 18, 5 },
        FitCase { 10, 1, false, 25, 25, 25, 2 }, FitCase { 2, 6, false, 3, 100, 3, 9 },
        // Ties take the width's factor; equal sizes stay.
        FitCase { 32, 32, false, 48, 48, 48, 48 }, FitCase { 32, 32, true, 32, 32, 32, 32 }));

QImage gradient(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgba(x * 255 / std::max(1, w - 1), y * 255 / std::max(1, h - 1), 77, 255));
    return image;
}

TEST(StretchBitmapHQ, CentreFillsTheBoxAndDrawsTheFittedImageInTheMiddle)
{
    Image32 out;
    const std::uint32_t fill = 0x80112233;
    StretchBitmapHQ(gradient(100, 50), 40, 40, out, true, false, true, LanczosKernel, fill);
    ASSERT_EQ(out.width(), 40);
    ASSERT_EQ(out.height(), 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            if (y < 10 || y >= 30)
                ASSERT_EQ(out.pixel(x, y), fill) << x << "," << y;
            else
                ASSERT_EQ(out.pixel(x, y) >> 24, 0xFFu) << x << "," << y;
        }
    // The drawn part is the gradient: red grows left to right, green top to bottom.
    EXPECT_LT((out.pixel(0, 10) >> 16) & 0xFF, (out.pixel(39, 10) >> 16) & 0xFF);
    EXPECT_LT((out.pixel(5, 10) >> 8) & 0xFF, (out.pixel(5, 29) >> 8) & 0xFF);
}

TEST(StretchBitmapHQ, CentreOffsetsAreTruncated)
{
    // 40 x 13 in a 40 x 40 box: offset (40 - 13) / 2 = 13, so rows 13..25.
    Image32 out;
    StretchBitmapHQ(gradient(120, 39), 40, 40, out, true, false, true, LanczosKernel, 0);
    EXPECT_EQ(out.pixel(0, 12), 0u);
    EXPECT_EQ(out.pixel(0, 13) >> 24, 0xFFu);
    EXPECT_EQ(out.pixel(0, 25) >> 24, 0xFFu);
    EXPECT_EQ(out.pixel(0, 26), 0u);
}

TEST(StretchBitmapHQ, WithoutCentreTheDestinationHasTheFittedSize)
{
    Image32 out;
    StretchBitmapHQ(gradient(100, 50), 40, 40, out, true, false, false, LanczosKernel, 0);
    EXPECT_EQ(out.width(), 40);
    EXPECT_EQ(out.height(), 20);
}

// A source whose pixel words a resampler would change: transparent pixels
// holding colour (resampling makes them transparent black).
QImage wordPattern(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgba(x * 7 % 256, y * 13 % 256, (x + y) % 256, (x * y) % 3 == 0 ? 0 : 200));
    return image;
}

void expectSameWords(const Image32 &out, const QImage &source)
{
    ASSERT_EQ(out.width(), source.width());
    ASSERT_EQ(out.height(), source.height());
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            ASSERT_EQ(out.pixel(x, y), source.pixel(x, y)) << x << "," << y;
}

TEST(StretchBitmapHQ, EqualSizesAreCopiedWordForWord)
{
    const QImage source = wordPattern(48, 48);
    Image32 out;
    StretchBitmapHQ(source, 48, 48, out, false, false, false, LanczosKernel, 0);
    expectSameWords(out, source);
    // Also with centre and keep aspect: equal sizes never resample.
    StretchBitmapHQ(source, 48, 48, out, true, true, true, LanczosKernel, 0xFFFFFFFF);
    expectSameWords(out, source);
}

TEST(StretchBitmapHQ, DoNotEnlargeCopiesASmallerSourceUnlessCentred)
{
    const QImage source = wordPattern(20, 10);
    Image32 out;
    StretchBitmapHQ(source, 40, 40, out, true, true, false, LanczosKernel, 0);
    expectSameWords(out, source);

    // Centred: the box, filled, with the unscaled picture in its middle.
    StretchBitmapHQ(source, 40, 40, out, true, true, true, LanczosKernel, 0x12345678);
    ASSERT_EQ(out.width(), 40);
    EXPECT_EQ(out.pixel(9, 15), 0x12345678u);
    EXPECT_EQ(out.pixel(11, 16), source.pixel(1, 1));
    EXPECT_EQ(out.pixel(30, 15), 0x12345678u);
}

TEST(StretchBitmapHQ, OpaqueBitmapsWithoutAlphaComeOutOpaque)
{
    QImage rgb(10, 10, QImage::Format_RGB888);
    rgb.fill(QColor(10, 20, 30));
    Image32 out;
    CopyBitmapToImage32(rgb, out);
    EXPECT_EQ(out.pixel(3, 3), 0xFF0A141Eu);
}

TEST(StretchBitmapHQ, EmptySourceLeavesTheFilledBox)
{
    Image32 out;
    StretchBitmapHQ(QImage(), 32, 32, out, false, false, false, LanczosKernel, 0);
    ASSERT_EQ(out.width(), 32);
    ASSERT_EQ(out.height(), 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(out.pixel(x, y), 0u);
}

TEST(SetResamplerKernel, OnlySelectorsOneToFourteenAreAccepted)
{
    Image32 image;
    for (int selector : { 0, 15, -1, 100 }) {
        EXPECT_FALSE(SetResamplerKernel(image, selector)) << selector;
        EXPECT_EQ(image.resamplerKernel(), 0);
    }
    for (int selector = 1; selector <= 14; ++selector) {
        EXPECT_TRUE(SetResamplerKernel(image, selector));
        EXPECT_EQ(image.resamplerKernel(), selector);
    }
}

TEST(SetResamplerKernel, RefusedSelectorsLeaveNearestNeighbourScaling)
{
    // Four 2x2 blocks of distinct colours, enlarged 4 to 8: nearest-neighbour
    // repeats each source pixel twice and invents no colour.
    QImage source(4, 4, QImage::Format_ARGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            source.setPixel(x, y, qRgba(x * 60, y * 60, 5, 255));
    for (int selector : { 0, 15 }) {
        Image32 out;
        StretchBitmapHQ(source, 8, 8, out, false, false, false, selector, 0);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(out.pixel(x, y), source.pixel(x / 2, y / 2)) << selector << " at " << x << "," << y;
        // The same with Lanczos blends neighbours.
        StretchBitmapHQ(source, 8, 8, out, false, false, false, LanczosKernel, 0);
        EXPECT_NE(out.pixel(1, 0), source.pixel(0, 0));
    }
}

} // namespace
