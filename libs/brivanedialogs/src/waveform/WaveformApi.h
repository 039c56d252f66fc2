#pragma once

// The interface of libBrivaneDialogsWaveform.so, the decoding module the
// dialog library loads at its first thumbnail.

extern "C" {

// Fills peaks with columns pairs of (minimum, maximum) sample values in
// [-1, 1] over the whole file. Returns 1 on success, 0 when the file cannot
// be decoded or cancel became non-zero.
using BrivaneDialogsWaveform_PeaksProc = int (*)(const char *path, float *peaks, int columns,
                                                 const volatile int *cancel);
inline constexpr const char *kWaveformPeaksSymbol = "BrivaneDialogsWaveform_Peaks";
inline constexpr const char *kWaveformModuleName = "libBrivaneDialogsWaveform.so";
}
