#include "ReferenceResampler.h"
#include "imaging/IconLoaderGR32FIHQ.h"
#include "imaging/Image32.h"
#include "imaging/ResamplerKernels.h"

#include <QImage>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

struct KernelCase
{
    int selector;
    double radius;
    double at0;
    double atHalf; // value at x = 0.5
};

double sinc(double x)
{
    return x == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
}

class KernelTest : public testing::TestWithParam<KernelCase>
{
};

TEST_P(KernelTest, RadiusCentreAndSymmetry)
{
    const KernelCase c = GetParam();
    const ResamplerKernel k = MakeResamplerKernel(c.selector);
    EXPECT_DOUBLE_EQ(k.radius, c.radius);
    EXPECT_NEAR(k(0), c.at0, 1e-4);
    EXPECT_NEAR(k(0.5), c.atHalf, 1e-4);
    EXPECT_EQ(k(c.radius + 0.01), 0.0);
    EXPECT_EQ(k(-c.radius - 0.01), 0.0);
    for (double x = 0.05; x < c.radius; x += 0.1)
        EXPECT_NEAR(k(x), k(-x), 1e-12) << "x=" << x;
}

// Reference values worked out from each kernel's textbook formula.
INSTANTIATE_TEST_SUITE_P(AllKernels, KernelTest,
    testing::Values(KernelCase { 1, 1, 1, 1 }, KernelCase { 2, 1, 1, 0.5 }, KernelCase { 3, 1, 1, 0.5 },
        KernelCase { 4, 2, 2.0 / 3, 23.0 / 48 }, KernelCase { 5, 2, 1, 0.5625 },
        KernelCase { 6, 2, 8.0 / 9, 0.5347222 }, KernelCase { 7, 3, 1.0, sinc(0.5) * 0.7495350 },
        KernelCase { 8, 3, 1, sinc(0.5) * sinc(0.5 / 3) },
        KernelCase { 9, 3, 1, sinc(0.5) * std::exp(-std::numbers::ln2 * 0.25 / 1.33) },
        KernelCase { 10, 3, 1,
            sinc(0.5) * (0.42 + 0.5 * std::cos(std::numbers::pi / 6) + 0.08 * std::cos(std::numbers::pi / 3)) },
        KernelCase { 11, 3, 1, sinc(0.5) * (0.5 + 0.5 * std::cos(std::numbers::pi / 6)) },
        KernelCase { 12, 3, 1, sinc(0.5) * (0.54 + 0.46 * std::cos(std::numbers::pi / 6)) },
        KernelCase { 13, 3, 1, 0.5 * 1.0 / std::sinh(0.25 * std::numbers::pi) }, KernelCase { 14, 2, 1, 0.5625 }));

TEST(Kernels, InterpolatingKernelsVanishAtWholeSamples)
{
    for (int selector : { 2, 5, 7, 8, 9, 10, 11, 12, 13, 14 })
        for (int x = 1; x <= 2; ++x)
            EXPECT_NEAR(MakeResamplerKernel(selector)(x), 0.0, 1e-4) << "selector " << selector << " x " << x;
}

TEST(Kernels, HermiteWithoutBiasOrTensionIsCatmullRom)
{
    const ResamplerKernel hermite = MakeResamplerKernel(14);
    const ResamplerKernel keys = MakeResamplerKernel(5);
    for (double x = -2; x <= 2; x += 0.125)
        EXPECT_NEAR(hermite(x), keys(x), 1e-12) << x;
}

QImage randomImage(int w, int h, quint32 seed, bool opaque)
{
    QRandomGenerator rng(seed);
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // A quarter of the pixels fully transparent, to exercise alpha weighting.
            int a = opaque ? 255 : (rng.bounded(4) == 0 ? 0 : int(rng.bounded(256)));
            image.setPixel(x, y, qRgba(int(rng.bounded(256)), int(rng.bounded(256)), int(rng.bounded(256)), a));
        }
    return image;
}

QImage resample(const QImage &source, int selector, int w, int h)
{
    Image32 out;
    StretchBitmapHQ(source, w, h, out, false, false, false, selector, 0xDEADBEEF);
    return CopyImage32ToBitmap(out);
}

int maxChannelDifference(const QImage &a, const QImage &b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({ worst, std::abs(qAlpha(p) - qAlpha(q)), std::abs(qRed(p) - qRed(q)),
                std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q)) });
        }
    return worst;
}

struct SizeCase
{
    int sw, sh, w, h;
};

TEST(Resampler, EveryKernelMatchesADirectEvaluationOfTheRules)
{
    const SizeCase sizes[]
        = { { 48, 48, 32, 32 }, { 128, 128, 48, 48 }, { 16, 16, 40, 40 }, { 20, 9, 7, 31 }, { 5, 5, 3, 12 } };
    quint32 seed = 1;
    for (int selector = 1; selector <= 14; ++selector) {
        for (const SizeCase &s : sizes) {
            const QImage source = randomImage(s.sw, s.sh, seed++, false);
            const QImage ours = resample(source, selector, s.w, s.h);
            const QImage reference = ReferenceResample(source, MakeResamplerKernel(selector), s.w, s.h);
            // Rounding of sums that land near .5 may differ by one.
            EXPECT_LE(maxChannelDifference(ours, reference), 1)
                << "kernel " << selector << ", " << s.sw << "x" << s.sh << " to " << s.w << "x" << s.h;
        }
    }
}

TEST(Resampler, OpaqueSourceStaysOpaque)
{
    for (int selector : { 4, 6, 8, 13 }) {
        const QImage ours = resample(randomImage(30, 30, 99, true), selector, 17, 44);
        for (int y = 0; y < ours.height(); ++y)
            for (int x = 0; x < ours.width(); ++x)
                ASSERT_EQ(qAlpha(ours.pixel(x, y)), 255) << selector << " at " << x << "," << y;
    }
}

TEST(Resampler, SemiTransparentEdgeKeepsItsColour)
{
    // An opaque block with a half-transparent rim, on transparent black, as an
    // anti-aliased icon edge is. Reduced to a 32-pixel cell by 1.5.
    const QRgb colour = qRgba(200, 120, 40, 255);
    QImage source(48, 48, QImage::Format_ARGB32);
    source.fill(0);
    for (int y = 12; y < 36; ++y)
        for (int x = 12; x < 36; ++x) {
            const bool rim = x == 12 || y == 12 || x == 35 || y == 35;
            source.setPixel(x, y, rim ? qRgba(200, 120, 40, 100) : colour);
        }
    const QImage ours = resample(source, LanczosKernel, 32, 32);
    int partial = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb p = ours.pixel(x, y);
            if (qAlpha(p) == 0) {
                EXPECT_EQ(p, 0u) << "transparent pixels are transparent black at " << x << "," << y;
                continue;
            }
            partial += qAlpha(p) < 255;
            EXPECT_NEAR(qRed(p), 200, 1) << x << "," << y;
            EXPECT_NEAR(qGreen(p), 120, 1) << x << "," << y;
            EXPECT_NEAR(qBlue(p), 40, 1) << x << "," << y;
        }
    EXPECT_GT(partial, 20) << "the rim must come out semi-transparent";
}

TEST(Resampler, WindowOfTransparentPixelsGivesTransparentBlack)
{
    // Transparent pixels with colour in them: their colour must not leak.
    QImage source(40, 40, QImage::Format_ARGB32);
    source.fill(qRgba(255, 255, 255, 0));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            source.setPixel(x, y, qRgba(10, 200, 30, 255));
    const QImage ours = resample(source, LanczosKernel, 20, 20);
    // Output pixels from 8 on see source columns/rows >= 8 + 2*3 - ... only.
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            if (x >= 8 || y >= 8) {
                EXPECT_EQ(ours.pixel(x, y), 0u) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(qAlpha(ours.pixel(0, 0)), 255);
}

} // namespace
