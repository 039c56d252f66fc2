#include "scaling/ScaleFunctions.h"

#include "scaling/AnchorLayout.h"
#include "scaling/DragLimitSplitter.h"

#include <QApplication>
#include <QCursor>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLayout>
#include <QScreen>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWidget>

#include <cmath>
#include <cstdlib>

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const long long product = static_cast<long long>(number) * numerator;
    long long quotient = product / denominator;
    const long long remainder = product % denominator;
    // Round half away from zero.
    if (std::llabs(remainder) * 2 >= std::llabs(static_cast<long long>(denominator)))
        quotient += ((product < 0) != (denominator < 0)) ? -1 : 1;
    return static_cast<int>(quotient);
}

int FitScaleToSize(QSize windowAt96, QSize monitor, int s)
{
    if (windowAt96.width() <= 0 || windowAt96.height() <= 0)
        return s;
    const int available = monitor.height() - kMonitorReservedHeight;
    if (MulDiv(windowAt96.width(), s, 96) <= monitor.width() && MulDiv(windowAt96.height(), s, 96) <= available)
        return s;
    const double byWidth = double(monitor.width()) / windowAt96.width() * 96.0;
    const double byHeight = double(available) / windowAt96.height() * 96.0;
    return std::min(int(std::trunc(byWidth)), int(std::trunc(byHeight)));
}

int FitScaleToMonitor(const QWidget *window, int s)
{
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return s;
    return FitScaleToSize(window->frameGeometry().size(), screen->geometry().size(), s);
}

void AutoSizeToolbars(QWidget *control)
{
    const QObjectList children = control->children();
    for (QObject *child : children) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget)
            continue;
        if (auto *toolbar = qobject_cast<QToolBar *>(widget)) {
            toolbar->setMinimumHeight(0);
            toolbar->setMaximumHeight(QWIDGETSIZE_MAX);
            toolbar->adjustSize();
        } else if (!widget->children().isEmpty()) {
            AutoSizeToolbars(widget);
        }
    }
}

namespace {

int scaleLength(int length, int s)
{
    // Unbounded sizes stay unbounded.
    if (length <= 0 || length >= QWIDGETSIZE_MAX)
        return length;
    return MulDiv(length, s, 96);
}

QSize scaleSize(QSize size, int s)
{
    return QSize(scaleLength(size.width(), s), scaleLength(size.height(), s));
}

void scaleWidget(QWidget *widget, int s)
{
    widget->setMinimumSize(scaleSize(widget->minimumSize(), s));
    widget->setMaximumSize(scaleSize(widget->maximumSize(), s));
    if (widget->testAttribute(Qt::WA_SetFont)) {
        QFont font = widget->font();
        if (font.pixelSize() > 0)
            font.setPixelSize(MulDiv(font.pixelSize(), s, 96));
        widget->setFont(font);
    }
    if (auto *layout = qobject_cast<AnchorLayout *>(widget->layout()))
        layout->scaleBy(s);
    else if (QLayout *other = widget->layout())
        other->setContentsMargins(MulDiv(other->contentsMargins().left(), s, 96),
            MulDiv(other->contentsMargins().top(), s, 96), MulDiv(other->contentsMargins().right(), s, 96),
            MulDiv(other->contentsMargins().bottom(), s, 96));
    if (auto *tree = qobject_cast<QTreeWidget *>(widget)) {
        for (int column = 0; column < tree->columnCount(); ++column)
            tree->setColumnWidth(column, MulDiv(tree->columnWidth(column), s, 96));
    }
    if (auto *toolbar = qobject_cast<QToolBar *>(widget))
        toolbar->setIconSize(scaleSize(toolbar->iconSize(), s));
    // A toolbar sets its buttons' picture size itself.
    if (auto *button = qobject_cast<QToolButton *>(widget); button && !qobject_cast<QToolBar *>(button->parentWidget()))
        button->setIconSize(scaleSize(button->iconSize(), s));
    if (auto *splitter = qobject_cast<QSplitter *>(widget))
        splitter->setHandleWidth(std::max(1, MulDiv(splitter->handleWidth(), s, 96)));
    if (auto *limited = qobject_cast<DragLimitSplitter *>(widget))
        limited->setMinSize(scaleLength(limited->minSize(), s));
}

void scaleTree(QWidget *widget, int s)
{
    scaleWidget(widget, s);
    const QObjectList children = widget->children();
    for (QObject *child : children) {
        if (auto *childWidget = qobject_cast<QWidget *>(child); childWidget && !childWidget->isWindow())
            scaleTree(childWidget, s);
    }
}

} // namespace

void ScaleWindowTree(QWidget *window, int s)
{
    const QPoint topLeft = window->pos();
    const QSize size = window->size();
    scaleTree(window, s);
    window->resize(MulDiv(size.width(), s, 96), MulDiv(size.height(), s, 96));
    window->move(topLeft);
}

int SystemFontPixelsAt96()
{
    // Qt's own fallback when the platform names no size: 9 points.
    constexpr int kDefaultPixels = 12;
    const QFont system = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (system.pointSizeF() > 0)
        return std::max(1, int(std::lround(system.pointSizeF() * 96.0 / 72.0)));
    if (system.pixelSize() > 0) {
        // Pixels of the screen as the platform sees it.
        const QScreen *screen = QGuiApplication::primaryScreen();
        const int dpi = screen ? int(std::lround(screen->logicalDotsPerInch())) : 96;
        return std::max(1, MulDiv(system.pixelSize(), 96, dpi > 0 ? dpi : 96));
    }
    return kDefaultPixels;
}

QFont SystemFontAt(int s)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(std::max(1, MulDiv(SystemFontPixelsAt96(), s, 96)));
    // Said outright: a weight left open is taken from the parent, and the
    // main window's own font is bold (the status bar's hints came out bold).
    font.setWeight(QFont::Normal);
    return font;
}

void ApplyApplicationFont(int s)
{
    // Without a class name this also drops the fonts a platform theme sets
    // per class (menus, tooltips, the status bar), which are in points.
    QApplication::setFont(SystemFontAt(s));
}

int ScaleForm(QWidget *window, int s)
{
    if (s == 96)
        return 96;
    s = FitScaleToMonitor(window, s);
    AutoSizeToolbars(window);
    ScaleWindowTree(window, s);
    if (const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
    }
    return s;
}
