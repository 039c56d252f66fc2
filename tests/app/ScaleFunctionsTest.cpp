#include "scaling/AnchorLayout.h"
#include "scaling/ScaleFunctions.h"

#include <QLabel>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(ScaleFunctionsTest, MulDivRoundsHalvesAwayFromZero)
{
    struct Case
    {
        int number, numerator, denominator, expected;
    };
    const Case cases[] = {
        {550, 120, 96, 688},  {688, 120, 96, 860}, {32, 120, 96, 40},  {32, 144, 96, 48},  {1, 3, 2, 2},
        {-1, 3, 2, -2},       {3, 1, 2, 2},        {-3, 1, 2, -2},     {5, 1, 4, 1},       {-5, 1, 4, -1},
        {7, 1, -2, -4},       {-7, -1, 2, 4},      {0, 5, 3, 0},       {600, 144, 96, 900}, {900, 96, 144, 600},
        {10, 10, 0, -1},      {2000000000, 2, 4, 1000000000},
    };
    for (const Case &c : cases)
        EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected)
            << c.number << " * " << c.numerator << " / " << c.denominator;
}

TEST(ScaleFunctionsTest, FitScaleToSizeLowersTheScaleUntilTheWindowFits)
{
    struct Case
    {
        QSize window;
        QSize monitor;
        int s, expected;
    };
    const Case cases[] = {
        {{1600, 800}, {1920, 1080}, 120, 115}, // width limits: trunc(115.2)
        {{1600, 800}, {1920, 1080}, 192, 115},
        {{1600, 800}, {1920, 1080}, 96, 96},   // fits: unchanged
        {{1000, 900}, {1920, 1080}, 120, 110}, // height limits: trunc((1080-48)/900*96) = 110
        {{1600, 800}, {3840, 2160}, 192, 192},
        {{1600, 1032}, {1920, 1080}, 96, 96},  // exactly the usable height
    };
    for (const Case &c : cases)
        EXPECT_EQ(FitScaleToSize(c.window, c.monitor, c.s), c.expected) << c.window.width() << "x" << c.window.height();
}

TEST(ScaleFunctionsTest, AnchorsKeepDistancesAndScaleMultipliesGeometry)
{
    QWidget parent;
    auto *layout = new AnchorLayout(&parent, QSize(550, 64));
    auto *left = new QWidget(&parent);
    auto *right = new QWidget(&parent);
    auto *stretch = new QWidget(&parent);
    layout->addWidget(left, QRect(16, 28, 137, 17));
    layout->addWidget(right, QRect(338, 14, 150, 42), AnchorLayout::Top | AnchorLayout::Right);
    layout->addWidget(stretch, QRect(6, 24, 371, 21), AnchorLayout::Left | AnchorLayout::Top | AnchorLayout::Right);
    parent.resize(650, 64);
    layout->setGeometry(parent.rect());
    EXPECT_EQ(left->geometry(), QRect(16, 28, 137, 17));
    EXPECT_EQ(right->geometry(), QRect(438, 14, 150, 42));
    EXPECT_EQ(stretch->geometry(), QRect(6, 24, 471, 21));

    layout->scaleBy(120);
    EXPECT_EQ(layout->designRect(right), QRect(423, 18, 188, 53));
    EXPECT_EQ(layout->designSize(), QSize(688, 80));
}

TEST(ScaleFunctionsTest, WindowTreeScalingMultipliesFontsSizesAndWindow)
{
    QWidget window;
    window.resize(400, 200);
    auto *label = new QLabel(QStringLiteral("x"), &window);
    QFont font = label->font();
    font.setPixelSize(11);
    label->setFont(font);
    label->setMinimumWidth(550);
    ScaleWindowTree(&window, 144);
    EXPECT_EQ(window.size(), QSize(600, 300));
    EXPECT_EQ(label->font().pixelSize(), 17); // 16.5 rounds away from zero
    EXPECT_EQ(label->minimumWidth(), 825);
    EXPECT_EQ(ScaleForm(&window, 96), 96);
    EXPECT_EQ(window.size(), QSize(600, 300));
}

} // namespace
