#pragma once

#include "../ffmpeg/DecoderApi.h"

namespace bass {

// The FFmpeg decoder object beside libbass.so, opened at the first stream.
struct DecoderLibrary {
    BassDecoderOpenFn open = nullptr;
    BassDecoderReadFn read = nullptr;
    BassDecoderRewindFn rewind = nullptr;
    BassDecoderCloseFn close = nullptr;

    // Loaded once and kept; null when the decoder object cannot be loaded.
    static const DecoderLibrary *get();
};

} // namespace bass
