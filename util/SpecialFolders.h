#pragma once

#include <QString>

// The shell folder numbers the program asks for.
inline constexpr int CSIDL_MYMUSIC = 13;
inline constexpr int CSIDL_LOCAL_APPDATA = 28;

// The path of a special folder: local application data is the XDG data home,
// music is the XDG music folder. Empty for any other number or when the
// folder cannot be resolved. Never throws.
QString GetSpecialFolderPath(int csidl);
