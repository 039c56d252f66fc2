#pragma once

// The header probe of libBrivaneDialogsWaveform.so: what the details view's
// audio columns show, read without decoding the file.

#include <cstdint>

extern "C" {

struct BrivaneDialogsAudioInfo
{
    std::int64_t durationMs; // -1 when unknown, for this and every field below
    std::int32_t sampleRate; // Hz
    std::int32_t bitDepth; // bits per sample of lossless audio; lossy audio has none
    std::int32_t channels;
    std::int32_t bitRate; // bits per second
    // 1 when durationMs is FFmpeg's guess from the bit rate: a file with no
    // length in its header (an MP3 without a Xing frame, raw AAC or AC-3).
    // Right for a constant bit rate, far off for a variable one.
    std::int32_t durationEstimated;
};

// Fills info from the file's header. Gives up after budgetMs of wall time or
// as soon as cancel becomes non-zero. Returns 1 when the file holds audio,
// 0 otherwise (info then says nothing).
using BrivaneDialogsWaveform_ProbeProc
    = int (*)(const char *path, BrivaneDialogsAudioInfo *info, int budgetMs, const volatile int *cancel);
inline constexpr const char *kWaveformProbeSymbol = "BrivaneDialogsWaveform_Probe";
}
