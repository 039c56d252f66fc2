#pragma once

#include "../ffmpeg/DecoderApi.h"

namespace bass {

// The FFmpeg decoder object beside libbass.so: loaded in the background once
// the output is open, or by the first stream if that comes first.
struct DecoderLibrary
{
    BassDecoderOpenFn open = nullptr;
    BassDecoderReadFn read = nullptr;
    BassDecoderRewindFn rewind = nullptr;
    BassDecoderCloseFn close = nullptr;
    BassDecoderInfoFn info = nullptr;
    BassDecoderSeekFn seek = nullptr;

    // Loaded once and kept; null when the decoder object cannot be loaded.
    // Waits while another thread is loading it.
    static const DecoderLibrary *get();
    // Loads and prepares the decoder on a thread of its own, once per
    // process; returns at once.
    static void preloadInBackground();
    // Waits for that thread, if one was started and is still loading. A
    // process must not end while it runs: exiting in the middle of loading
    // FFmpeg's libraries runs their constructors against their own
    // destructors, and leaves what they allocated unaccounted for.
    static void finishPreload();
};

} // namespace bass
