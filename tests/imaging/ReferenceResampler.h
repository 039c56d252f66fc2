#pragma once

#include "imaging/ResamplerKernels.h"

#include <QImage>

// A deliberately plain evaluation of the resampling rules, for comparison:
// every output pixel sums its full 2-D window directly, in doubles, with
// clamped edges and alpha weighting. Slow, and written without the weight
// tables of the real resampler.
QImage ReferenceResample(const QImage &source, const ResamplerKernel &kernel, int width, int height);
