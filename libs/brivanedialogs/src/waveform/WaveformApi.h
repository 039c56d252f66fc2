#pragma once

// The interface of libBrivaneDialogsWaveform.so, the decoding module the
// dialog library loads at its first thumbnail.

extern "C" {

// Fills peaks with columns pairs of (minimum, maximum) sample values in
// [-1, 1] over the whole file. Returns 1 on success, 0 when the file cannot
// be decoded or cancel became non-zero.
using BrivaneDialogsWaveform_PeaksProc
    = int (*)(const char *path, float *peaks, int columns, const volatile int *cancel);
inline constexpr const char *kWaveformPeaksSymbol = "BrivaneDialogsWaveform_Peaks";

// As above, and says how the peaks were found: kWaveformSampled when a long
// file was sampled at a few spots per column (quick, may miss a short peak),
// kWaveformExact when every sample was read. With kWaveformExact in flags the
// file is always read in full. Returns 0 when there is no waveform.
inline constexpr int kWaveformSampled = 1;
inline constexpr int kWaveformExact = 2;
using BrivaneDialogsWaveform_PeaksOfProc
    = int (*)(const char *path, float *peaks, int columns, int flags, const volatile int *cancel);
inline constexpr const char *kWaveformPeaksOfSymbol = "BrivaneDialogsWaveform_PeaksOf";

inline constexpr const char *kWaveformModuleName = "libBrivaneDialogsWaveform.so";
}
