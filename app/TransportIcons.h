#pragma once

#include <QIcon>

enum class TransportIcon {
    Play,
    Pause,
};

// The play/pause button's two faces, made once and shared. The desktop's
// icon theme supplies them when one is set; otherwise they are drawn at
// whatever size the button asks for. The style's stock media icons are PNG
// files, and asking for the first one before the first paint made Qt decode
// every size of it and load its image-format plugins. GUI thread only.
QIcon transportIcon(TransportIcon kind);
