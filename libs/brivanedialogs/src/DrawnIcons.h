#pragma once

#include <QIcon>

class QWidget;

// The browser's icons, drawn with the painter at whatever size a view asks
// for. The style's stock icons are PNG files: asking for one decodes every
// size it has and makes Qt load all of its image-format plugins (and libjpeg
// and Qt SVG behind them) before the first paint. Drawn ones cost nothing
// until painted, stay sharp at every display scale, and follow the palette.
enum class DrawnIcon {
    Back,
    Forward,
    Up,
    Refresh,
    DetailsView,
    ListView,
    ThumbnailsView,
    Drive,
    Folder,
    Home,
    File,
    Close,
};

// One icon per kind, made at its first use and shared by every view after.
// It shows the desktop's icon theme's own icon of that kind when a theme is
// set and has one (as the style would pick), else the drawn one; but only
// once theme lookups are allowed. GUI thread only.
QIcon drawnIcon(DrawnIcon kind);

// Allows theme lookups once widget has been painted, and then repaints it.
// A lookup parses the theme's index files and scans its folders, which the
// first paint need not wait for; until then every icon shows its drawn face.
void useThemeIconsAfterFirstPaint(QWidget *widget);
