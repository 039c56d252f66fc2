#pragma once

#include "bass.h"

#include <string>

namespace bass {

// Loads an add-on by its bare file name from the program's own folders only
// (the executable's, then libbass.so's), never through the system's library
// search. Returns a BASS error code; `plugin` gets its handle.
int loadPlugin(const std::string &file, HPLUGIN &plugin);

} // namespace bass
