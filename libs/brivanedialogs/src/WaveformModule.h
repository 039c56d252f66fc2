#pragma once

namespace bd {

// An entry point of the decoding module beside this library (waveforms and
// header probes), or null when the module or the symbol is missing. The
// module is loaded once, at the first call from any thread, and kept for the
// life of the process.
void *waveformModuleSymbol(const char *symbol);

} // namespace bd
