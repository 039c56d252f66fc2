#include "imaging/IconFile.h"

#include <QImage>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

struct GroupCase
{
    const char *name;
    QList<int> sizes;
};

class IconGroupTest : public testing::TestWithParam<GroupCase>
{
};

TEST_P(IconGroupTest, HoldsExactlyTheListedSizes)
{
    const GroupCase c = GetParam();
    QList<QSize> expected;
    for (int s : c.sizes)
        expected.append(QSize(s, s));
    EXPECT_EQ(IconFileSizes(IconGroupData(QString::fromLatin1(c.name))), expected);
}

TEST_P(IconGroupTest, EveryImageIs32BitWithAlpha)
{
    const GroupCase c = GetParam();
    const QByteArray ico = IconGroupData(QString::fromLatin1(c.name));
    const auto *p = reinterpret_cast<const uchar *>(ico.constData());
    for (int i = 0; i < c.sizes.size(); ++i) {
        const uchar *entry = p + 6 + 16 * i;
        EXPECT_EQ(qFromLittleEndian<quint16>(entry + 6), 32) << c.name << " entry " << i;
        const uchar *data = p + qFromLittleEndian<quint32>(entry + 12);
        if (data[0] == 0x89) {
            EXPECT_EQ(data[24], 8) << "PNG bit depth";
            EXPECT_EQ(data[25], 6) << "PNG colour type RGBA";
        } else {
            EXPECT_EQ(qFromLittleEndian<quint16>(data + 14), 32) << "bitmap bits per pixel";
        }

        const QImage image = LoadIconGroup(QString::fromLatin1(c.name), c.sizes[i]);
        ASSERT_EQ(image.size(), QSize(c.sizes[i], c.sizes[i]));
        int transparent = 0, opaque = 0, partial = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const int a = qAlpha(image.pixel(x, y));
                transparent += a == 0;
                opaque += a == 255;
                partial += a > 0 && a < 255;
            }
        EXPECT_GT(transparent, 0) << c.name << " " << c.sizes[i];
        EXPECT_GT(opaque, 0) << c.name << " " << c.sizes[i];
        EXPECT_GT(partial, 0) << "anti-aliased edges, " << c.name << " " << c.sizes[i];
    }
}

INSTANTIATE_TEST_SUITE_P(Groups, IconGroupTest,
    testing::Values(GroupCase { "00MAINICON", { 64, 48, 32, 24, 16 } },
        GroupCase { "16QUESTION", { 256, 64, 48, 32, 16 } }, GroupCase { "17STAR", { 128, 64, 48, 32, 24, 16 } }));

TEST(IconFile, PicksTheExactSizeElseTheNextLargerElseTheLargest)
{
    const struct
    {
        const char *group;
        int asked;
        int picked;
    } cases[] = { { "17STAR", 128, 128 }, { "17STAR", 24, 24 }, { "17STAR", 40, 48 }, { "17STAR", 20, 24 },
        { "17STAR", 300, 128 }, { "16QUESTION", 100, 256 }, { "16QUESTION", 8, 16 } };
    for (const auto &c : cases)
        EXPECT_EQ(LoadIconGroup(QString::fromLatin1(c.group), c.asked).width(), c.picked) << c.group << " " << c.asked;
}

TEST(IconFile, UnknownGroupOrDataGivesNothing)
{
    EXPECT_TRUE(LoadIconGroup(QStringLiteral("99NOSUCH"), 32).isNull());
    EXPECT_TRUE(IconFileSizes(QByteArray("garbage")).isEmpty());
    // A directory claiming an entry past the end of the data.
    QByteArray truncated = IconGroupData(QStringLiteral("17STAR"));
    truncated.truncate(200);
    EXPECT_TRUE(IconFileImage(truncated, 32).isNull());
}

TEST(IconFile, SingleImageIcoLayout)
{
    QImage icon(20, 3, QImage::Format_ARGB32);
    icon.fill(qRgba(1, 2, 3, 255));
    icon.setPixel(0, 0, qRgba(9, 9, 9, 0)); // top-left: transparent, masked
    icon.setPixel(19, 2, qRgba(4, 5, 6, 128)); // bottom-right: partial, not masked
    const QByteArray ico = WriteSingleImageIco(icon);
    const auto *p = reinterpret_cast<const uchar *>(ico.constData());
    const int maskStride = 4; // 20 bits padded to 32
    ASSERT_EQ(ico.size(), 6 + 16 + 40 + 20 * 3 * 4 + maskStride * 3);
    EXPECT_EQ(qFromLittleEndian<quint16>(p + 2), 1) << "type icon";
    EXPECT_EQ(qFromLittleEndian<quint16>(p + 4), 1) << "one image";
    EXPECT_EQ(p[6], 20);
    EXPECT_EQ(p[7], 3);
    EXPECT_EQ(qFromLittleEndian<quint16>(p + 6 + 6), 32);
    EXPECT_EQ(qFromLittleEndian<quint32>(p + 6 + 12), 22u) << "image right after the directory";
    const uchar *bmp = p + 22;
    EXPECT_EQ(qFromLittleEndian<qint32>(bmp + 8), 6) << "height counts colour image and mask";
    EXPECT_EQ(qFromLittleEndian<quint16>(bmp + 14), 32);
    // Bottom-up: the first stored row is the image's last row.
    const uchar *firstRow = bmp + 40;
    EXPECT_EQ(qFromLittleEndian<quint32>(firstRow + 19 * 4), qRgba(4, 5, 6, 128));
    const uchar *mask = bmp + 40 + 20 * 3 * 4;
    EXPECT_EQ(mask[0], 0) << "bottom row has no transparent pixel";
    EXPECT_EQ(mask[2 * maskStride], 0x80) << "top row's first pixel is masked";
    // And our reader gives the same words back.
    const QImage back = IconFileImage(ico, 20);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(back.pixel(x, y), icon.pixel(x, y));
}

TEST(IconFile, OversizedOrNullImagesAreNotWritten)
{
    EXPECT_TRUE(WriteSingleImageIco(QImage()).isEmpty());
    EXPECT_TRUE(WriteSingleImageIco(QImage(257, 10, QImage::Format_ARGB32)).isEmpty());
}

} // namespace
