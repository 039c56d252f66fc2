#include "imaging/FreeImageLoader.h"

#include "imaging/IconFile.h"
#include "imaging/IconLoaderGR32FIHQ.h"
#include "imaging/Image32.h"
#include "imaging/ResamplerKernels.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

namespace {

// Binds a library for the duration of a test and puts the real one back.
class FreeImageTest : public testing::Test
{
protected:
    void SetUp() override { rebind(nullptr); }
    void TearDown() override { rebind(nullptr); }

    static bool rebind(const char *fileName)
    {
        UnloadFreeImageLibrary();
        SetFreeImageLibraryNameForTesting(fileName);
        return LoadFreeImageLibrary();
    }
};

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

bool decode(const QByteArray &bytes, Image32 &out)
{
    return DecodeImageFromMemory(bytes.constData(), std::size_t(bytes.size()), out);
}

QImage iconPattern(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image.setPixel(x, y, qRgba(x * 9 % 256, y * 5 % 256, 128, (x + 2 * y) % 5 == 0 ? 0 : (x * 37 + y) % 256));
    return image;
}

TEST_F(FreeImageTest, TheRealLibraryBinds)
{
    EXPECT_TRUE(FreeImageLoaded());
}

TEST_F(FreeImageTest, AllTwentyEightNamesAreNeeded)
{
    EXPECT_TRUE(rebind(FAKE_FREEIMAGE_FULL));
    EXPECT_TRUE(FreeImageLoaded());
    EXPECT_FALSE(rebind(FAKE_FREEIMAGE_SHORT));
    EXPECT_FALSE(FreeImageLoaded());
    EXPECT_FALSE(rebind("libvantrel-no-such-library.so.3"));
    EXPECT_FALSE(FreeImageLoaded());
}

TEST_F(FreeImageTest, UnloadingClearsTheFlag)
{
    EXPECT_TRUE(UnloadFreeImageLibrary());
    EXPECT_FALSE(FreeImageLoaded());
    EXPECT_FALSE(UnloadFreeImageLibrary()) << "nothing left to unload";
}

TEST_F(FreeImageTest, OneImageIconDecodesToTheSamePixelWords)
{
    for (int size : { 16, 32, 48, 255 }) {
        const QImage icon = iconPattern(size);
        Image32 out;
        ASSERT_TRUE(decode(WriteSingleImageIco(icon), out)) << size;
        ASSERT_EQ(out.width(), size);
        ASSERT_EQ(out.height(), size);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                ASSERT_EQ(out.pixel(x, y), icon.pixel(x, y)) << size << " at " << x << "," << y;
    }
}

TEST_F(FreeImageTest, ImagesWithoutAlphaComeOutOpaque)
{
    QImage rgb(13, 7, QImage::Format_RGB888);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            rgb.setPixel(x, y, qRgb(x * 19, y * 31, 200));
    QImage indexed(9, 5, QImage::Format_Indexed8);
    indexed.setColorTable({ qRgb(255, 0, 0), qRgb(0, 128, 0), qRgb(1, 2, 3) });
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x)
            indexed.setPixel(x, y, uint((x + y) % 3));
    const struct
    {
        QImage image;
        const char *format;
    } cases[] = { { rgb, "BMP" }, { rgb, "PNG" }, { indexed, "PNG" }, { indexed, "BMP" } };
    for (const auto &c : cases) {
        Image32 out;
        ASSERT_TRUE(decode(encoded(c.image, c.format), out)) << c.format << " " << c.image.depth();
        ASSERT_EQ(out.width(), c.image.width());
        ASSERT_EQ(out.height(), c.image.height());
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                ASSERT_EQ(out.pixel(x, y), c.image.pixel(x, y) | 0xFF000000u)
                    << c.format << " depth " << c.image.depth() << " at " << x << "," << y;
    }
}

TEST_F(FreeImageTest, UndecodableDataLeavesTheDestinationAlone)
{
    Image32 out;
    out.setSize(3, 3);
    out.fill(0x11223344);
    QByteArray png = encoded(iconPattern(8), "PNG");
    png.truncate(30);
    for (const QByteArray &bytes : { QByteArray("not an image at all"), png, QByteArray(1, '\0') }) {
        EXPECT_FALSE(decode(bytes, out));
        ASSERT_EQ(out.width(), 3);
        EXPECT_EQ(out.pixel(1, 1), 0x11223344u);
    }
    EXPECT_FALSE(DecodeImageFromMemory(nullptr, 0, out));
}

TEST_F(FreeImageTest, WithoutTheLibraryNothingDecodes)
{
    ASSERT_FALSE(rebind(FAKE_FREEIMAGE_SHORT));
    Image32 out;
    EXPECT_FALSE(decode(WriteSingleImageIco(iconPattern(16)), out));
    EXPECT_TRUE(out.isEmpty());
}

void expectWords(const QImage &actual, const QImage &expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            ASSERT_EQ(actual.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
}

TEST_F(FreeImageTest, StockImageOfTheCellSizeIsCopiedUnchanged)
{
    // A 48-pixel cell (scale 144): the question mark is loaded at 48 and copied.
    expectWords(IconResourceImageForCell(QStringLiteral("16QUESTION"), 48, QSize(48, 48)),
        LoadIconGroup(QStringLiteral("16QUESTION"), 48));
}

TEST_F(FreeImageTest, StockImagesAreReducedWithLanczos)
{
    const struct
    {
        const char *group;
        int load;
        int cell;
    } cases[] = { { "16QUESTION", 48, 32 }, { "17STAR", 128, 32 }, { "17STAR", 128, 48 }, { "17STAR", 128, 40 } };
    for (const auto &c : cases) {
        const QString group = QString::fromLatin1(c.group);
        Image32 expected;
        StretchBitmapHQ(LoadIconGroup(group, c.load), c.cell, c.cell, expected, false, false, false, LanczosKernel, 0);
        expectWords(IconResourceImageForCell(group, c.load, QSize(c.cell, c.cell)), CopyImage32ToBitmap(expected));
    }
}

TEST_F(FreeImageTest, WithoutTheLibraryTheStockImageIsATransparentCell)
{
    ASSERT_FALSE(rebind(FAKE_FREEIMAGE_SHORT));
    for (const char *group : { "16QUESTION", "17STAR", "NO-SUCH-GROUP" }) {
        const QImage cell = IconResourceImageForCell(QString::fromLatin1(group), 48, QSize(40, 40));
        ASSERT_EQ(cell.size(), QSize(40, 40)) << group;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_EQ(cell.pixel(x, y), 0u) << group;
    }
}

} // namespace
