#pragma once

#include <QList>
#include <QRect>
#include <QSize>

class QWidget;

// Normal-state bounds of the main window as the settings file stores them:
// the client area's place and size, the terms Qt can restore before the
// window manager has framed the window. Storing and restoring in these same
// terms keeps the window where it was over any number of restarts.
struct WindowBounds
{
    qint64 x = 0;
    qint64 y = 0;
    qint64 width = 0;
    qint64 height = 0;
};

// Bounds that can be shown: the size no larger than the screen it lands on
// (and no smaller than `minimum`), and the title bar (above the client
// area) on a visible screen.
// Bounds whose title bar is visible enough on some screen keep their place,
// so a window straddling two monitors stays; anything else moves wholly onto
// the screen nearest to where it was. `screens` are available geometries,
// the primary screen first; with none the size rule alone applies.
QRect FitWindowBounds(const WindowBounds &stored, const QSize &minimum, const QList<QRect> &screens);

// The available geometry of every screen, the primary one first.
QList<QRect> AvailableScreenGeometries();
