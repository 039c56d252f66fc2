#include "scaling/ScaleFunctions.h"

#include "scaling/AnchorLayout.h"
#include "scaling/DragLimitSplitter.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QSplitterHandle>
#include <QTest>
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
        { 550, 120, 96, 688 },
        { 688, 120, 96, 860 },
        { 32, 120, 96, 40 },
        { 32, 144, 96, 48 },
        { 1, 3, 2, 2 },
        { -1, 3, 2, -2 },
        { 3, 1, 2, 2 },
        { -3, 1, 2, -2 },
        { 5, 1, 4, 1 },
        { -5, 1, 4, -1 },
        { 7, 1, -2, -4 },
        { -7, -1, 2, 4 },
        { 0, 5, 3, 0 },
        { 600, 144, 96, 900 },
        { 900, 96, 144, 600 },
        { 10, 10, 0, -1 },
        { 2000000000, 2, 4, 1000000000 },
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
        { { 1600, 800 }, { 1920, 1080 }, 120, 115 }, // width limits: trunc(115.2)
        { { 1600, 800 }, { 1920, 1080 }, 192, 115 }, { { 1600, 800 }, { 1920, 1080 }, 96, 96 }, // fits: unchanged
        { { 1000, 900 }, { 1920, 1080 }, 120, 110 }, // height limits: trunc((1080-48)/900*96) = 110
        { { 1600, 800 }, { 3840, 2160 }, 192, 192 },
        { { 1600, 1032 }, { 1920, 1080 }, 96, 96 }, // exactly the usable height
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
    auto *splitter = new DragLimitSplitter(&window);
    splitter->setMinSize(550);
    ScaleWindowTree(&window, 144);
    EXPECT_EQ(window.size(), QSize(600, 300));
    EXPECT_EQ(label->font().pixelSize(), 17); // 16.5 rounds away from zero
    EXPECT_EQ(label->minimumWidth(), 825);
    EXPECT_EQ(splitter->minSize(), 825);
    EXPECT_EQ(ScaleForm(&window, 96), 96);
    EXPECT_EQ(window.size(), QSize(600, 300));
}

// Drags the handle by dx as the pointer does: press, move with the button held.
void dragHandle(QSplitterHandle *handle, int dx)
{
    const QPoint start = handle->rect().center();
    const QPoint end = start + QPoint(dx, 0);
    QMouseEvent press(
        QEvent::MouseButtonPress, start, handle->mapToGlobal(start), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(handle, &press);
    QMouseEvent move(QEvent::MouseMove, end, handle->mapToGlobal(end), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(handle, &move);
    QMouseEvent release(
        QEvent::MouseButtonRelease, end, handle->mapToGlobal(end), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(handle, &release);
}

// The drag limit and a pane's own minimum are two lengths: the program may
// set a pane anywhere down to its minimum, and a drag stops at the limit
// without ever shrinking a pane that is already below it.
TEST(ScaleFunctionsTest, SplitterDragsStopAtTheLimitAndPanesKeepTheirOwnMinimum)
{
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *splitter = new DragLimitSplitter(Qt::Horizontal);
    layout->addWidget(splitter);
    auto *left = new QWidget;
    auto *right = new QWidget;
    left->setMinimumWidth(100);
    right->setMinimumWidth(100);
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setHandleWidth(4);
    splitter->setOpaqueResize(true);
    splitter->setChildrenCollapsible(false);
    splitter->setMinSize(300);
    window.resize(1004, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QSplitterHandle *handle = splitter->handle(1);

    splitter->setSizes({ 800, 200 });
    EXPECT_EQ(right->width(), 200) << "set by the program: only the pane's own minimum applies";

    struct Step
    {
        int dx;
        int left;
        int right;
    };
    const Step steps[] = {
        { 100, 800, 200 }, // would shrink the pane that is already below the limit
        { -50, 750, 250 }, // it may grow
        { 600, 750, 250 }, // and never shrink again while below the limit
        { -500, 300, 700 }, // the left pane stops at the limit
        { 600, 700, 300 }, // the right pane stops at the limit
    };
    for (const Step &step : steps) {
        dragHandle(handle, step.dx);
        EXPECT_EQ(splitter->sizes(), QList<int>({ step.left, step.right })) << "drag by " << step.dx;
    }
}

} // namespace
