#pragma once

#include "imaging/ResamplerKernels.h"

class Image32;

// Draws source into the rectangle (x, y, w, h) of target, replacing the
// pixels there; the part of the rectangle outside target is cut off.

// Each target pixel takes the source pixel under its centre.
void DrawNearest(const Image32 &source, Image32 &target, int x, int y, int w, int h);

// Separable, alpha-weighted resampling with kernel. Output pixel i of an axis
// of source length n and output length m is centred on (i + 0.5) * n / m - 0.5
// in source coordinates; on reduction the kernel is stretched by n / m. Source
// positions past an edge take the edge pixel. Weights are normalised to sum
// to one, so an opaque source stays exactly opaque. Colours are averaged
// weighted by alpha, so transparent neighbours lower a pixel's alpha without
// darkening it; a pixel that ends with alpha 0 is transparent black.
void DrawWithKernel(const Image32 &source, const ResamplerKernel &kernel, Image32 &target, int x, int y, int w, int h);
