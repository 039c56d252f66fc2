#include "app/WindowBounds.h"

#include <gtest/gtest.h>

namespace {

const QSize kMinimum(1280, 700);
const QRect kLeft(0, 0, 1920, 1080);
const QRect kRight(1920, 0, 1600, 900);

struct BoundsCase
{
    const char *name;
    WindowBounds stored;
    QList<QRect> screens;
    QRect expected;
};

class WindowBoundsTest : public ::testing::TestWithParam<BoundsCase>
{
};

TEST_P(WindowBoundsTest, TitleBarLandsOnAScreenAndTheSizeFits)
{
    const BoundsCase c = GetParam();
    EXPECT_EQ(FitWindowBounds(c.stored, kMinimum, c.screens), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowBoundsTest,
    ::testing::Values(BoundsCase { "FitsAsItIs", { 100, 50, 1400, 800 }, { kLeft }, QRect(100, 50, 1400, 800) },
        BoundsCase { "HandEditedGarbage", { -99999, 99999, 1400, 2147483647 }, { kLeft }, QRect(0, 24, 1400, 1048) },
        BoundsCase { "AboveTheScreen", { 100, -500, 1400, 800 }, { kLeft }, QRect(100, 24, 1400, 800) },
        BoundsCase { "TooWideAndTooTall", { 10, 30, 5000, 5000 }, { kLeft }, QRect(10, 30, 1920, 1048) },
        BoundsCase { "TitleBarAboveTheScreen", { 100, 10, 1400, 800 }, { kLeft }, QRect(100, 24, 1400, 800) },
        BoundsCase { "SmallerThanTheMinimum", { 10, 30, 100, 100 }, { kLeft }, QRect(10, 30, 1280, 700) },
        BoundsCase {
            "StraddlingTwoScreensStays", { 1000, 100, 1400, 800 }, { kLeft, kRight }, QRect(1000, 100, 1400, 800) },
        BoundsCase { "OnTheSecondScreen", { 2000, 100, 1400, 800 }, { kLeft, kRight }, QRect(2000, 100, 1400, 800) },
        BoundsCase { "OffTheRightGoesToTheNearestScreen", { 9000, 100, 1400, 800 }, { kLeft, kRight },
            QRect(2120, 92, 1400, 800) },
        BoundsCase { "OnlyAFewPixelsOfTitleBar", { 1900, 100, 1400, 800 }, { kLeft }, QRect(520, 100, 1400, 800) },
        BoundsCase { "ScreenGone", { 2000, 100, 1400, 800 }, { kLeft }, QRect(520, 100, 1400, 800) },
        BoundsCase { "NoScreens", { -5, -5, 10, 10 }, {}, QRect(-5, -5, 1280, 700) }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
