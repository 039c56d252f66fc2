#pragma once

#include <QIcon>

enum class TransportIcon {
    Play,
    Pause,
};

// The play/pause button's two faces, made once and shared: drawn at whatever
// size the button asks for, until adoptThemedTransportIcons() puts the
// desktop icon theme's faces in their place. The style's stock media icons
// are PNG files, and asking for the first one before the first paint made Qt
// decode every size of it and load its image-format plugins. GUI thread only.
QIcon transportIcon(TransportIcon kind);

// Looks both faces up in the desktop's icon theme, once per theme, and uses
// the ones it has from then on (the drawn ones where it has none). A theme lookup parses the theme's index files and
// scans its folders (milliseconds), so the window calls this after its first paint. Returns whether a face changed.
bool adoptThemedTransportIcons();
