#pragma once

#include "bass.h"

#include <string>

namespace bass {

// Loads an add-on by file name: the executable's folder first, then the
// system's library search. Returns a BASS error code; `plugin` gets its handle.
int loadPlugin(const std::string &file, HPLUGIN &plugin);

} // namespace bass
