#pragma once

// The reconstruction kernels a 32-bit image can be resampled with, by
// selector: 1 box, 2 linear, 3 cosine, 4 cubic B-spline, 5 Keys cubic,
// 6 Mitchell-Netravali, 7 Albrecht-windowed sinc, 8 Lanczos, 9 Gaussian-,
// 10 Blackman-, 11 Hann-, 12 Hamming-windowed sinc, 13 sinsh, 14 Hermite.
// Each is even (except Hermite with a bias) and zero beyond its radius.
struct ResamplerKernel
{
    int selector = 0;
    double radius = 0;
    // Creation parameters; which ones apply depends on the selector.
    double cubicCoefficient = -0.5;
    double gaussSigma = 1.33;
    double sinshCoefficient = 0.5;
    double hermiteBias = 0;
    double hermiteTension = 0;

    double operator()(double x) const;
};

constexpr int FirstResamplerKernel = 1;
constexpr int LastResamplerKernel = 14;
// The kernel the toolbar's images are scaled with.
constexpr int LanczosKernel = 8;

inline bool IsResamplerKernel(int selector)
{
    return selector >= FirstResamplerKernel && selector <= LastResamplerKernel;
}

// The kernel of a selector with its default creation parameters; selector must
// pass IsResamplerKernel.
ResamplerKernel MakeResamplerKernel(int selector);
