#pragma once

#include <QFont>
#include <QSize>

class QWidget;

// Multiplies and divides with rounding to the nearest integer, halves away
// from zero, as the Windows function does; -1 when the divisor is 0.
int MulDiv(int number, int numerator, int denominator);

// Pixels at 96 DPI scaled to the display scale s.
inline int Scaled(int lengthAt96, int s)
{
    return MulDiv(lengthAt96, s, 96);
}

// Taller monitors lose this much height to the task bar and window frames.
inline constexpr int kMonitorReservedHeight = 48;

// The largest scale (at most s) at which a window of the given outer size at
// 96 DPI fits a monitor of the given full size.
int FitScaleToSize(QSize windowAt96, QSize monitor, int s);

// FitScaleToSize for a window on the monitor under the mouse pointer.
int FitScaleToMonitor(const QWidget *window, int s);

// Lets every toolbar below the control size itself to its buttons again.
void AutoSizeToolbars(QWidget *control);

// Scales every length of a window tree by s/96: geometry kept by anchor
// layouts, fixed and minimum sizes, own fonts, list column widths, toolbar
// button sizes, splitter minimums; the window's own size too, keeping its
// top-left corner.
void ScaleWindowTree(QWidget *window, int s);

// The platform's general font (what menus, lists and the status bar show),
// its height in pixels at 96 DPI. Qt converts a size in points with the
// screen's DPI, which would scale it a second time.
int SystemFontPixelsAt96();

// The platform's general font at scale s, sized in pixels.
QFont SystemFontAt(int s);

// The application font: the system font at scale s, replacing the
// platform's per-class fonts too, so every control without a font of its own
// (menus and their popups, tooltips, the status bar, message boxes, file
// dialogs) shows at the scale the windows are drawn at.
void ApplyApplicationFont(int s);

// Scaling of a secondary window: fits s to the monitor, scales the window by
// it and centres it on the screen. Returns the scale applied.
int ScaleForm(QWidget *window, int s);
