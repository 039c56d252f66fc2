#include "imaging/ResamplerKernels.h"

#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr double Pi = std::numbers::pi;
// Radius of the windowed-sinc family: three lobes each side.
constexpr double SincRadius = 3.0;

double sinc(double x)
{
    if (x == 0)
        return 1.0;
    const double px = Pi * x;
    return std::sin(px) / px;
}

// Albrecht's seven-term minimum-sidelobe cosine-sum window, centred on 0 and
// spanning the kernel's radius.
double albrechtWindow(double x)
{
    static constexpr std::array<double, 7> Terms = {
        2.712203605850388e-001,
        4.334446123274422e-001,
        2.180041228929303e-001,
        6.578534329560609e-002,
        1.076186730534183e-002,
        7.700127105808265e-004,
        1.368088305992921e-005,
    };
    double sum = 0;
    for (std::size_t k = 0; k < Terms.size(); ++k)
        sum += Terms[k] * std::cos(double(k) * Pi * x / SincRadius);
    return sum;
}

double cubicBSpline(double ax)
{
    if (ax < 1)
        return 2.0 / 3.0 - ax * ax + ax * ax * ax / 2;
    const double t = 2 - ax;
    return t * t * t / 6;
}

double keysCubic(double ax, double a)
{
    if (ax <= 1)
        return ((a + 2) * ax - (a + 3)) * ax * ax + 1;
    return ((a * ax - 5 * a) * ax + 8 * a) * ax - 4 * a;
}

double mitchell(double ax)
{
    constexpr double B = 1.0 / 3.0;
    constexpr double C = 1.0 / 3.0;
    if (ax < 1)
        return ((12 - 9 * B - 6 * C) * ax * ax * ax + (-18 + 12 * B + 6 * C) * ax * ax + (6 - 2 * B)) / 6;
    return ((-B - 6 * C) * ax * ax * ax + (6 * B + 30 * C) * ax * ax + (-12 * B - 48 * C) * ax + (8 * B + 24 * C)) / 6;
}

// Weight of the sample at offset x (sample position minus the point being
// reconstructed) in a Kochanek-Bartels cubic Hermite spline without the
// continuity term. Tangents: m_k = (1-T)/2 * ((1+B)(p_k - p_k-1) + (1-B)(p_k+1 - p_k)).
double hermite(double x, double bias, double tension)
{
    const double s = (1 - tension) / 2;
    const double u = s * (1 + bias);
    const double v = s * (1 - bias);
    auto h00 = [](double t) { return (2 * t - 3) * t * t + 1; };
    auto h10 = [](double t) { return ((t - 2) * t + 1) * t; };
    auto h01 = [](double t) { return (3 - 2 * t) * t * t; };
    auto h11 = [](double t) { return (t - 1) * t * t; };
    if (x <= -2 || x >= 2)
        return 0;
    if (x <= -1) {
        const double t = -x - 1;
        return -u * h10(t);
    }
    if (x <= 0) {
        const double t = -x;
        return h00(t) + (u - v) * h10(t) - u * h11(t);
    }
    if (x <= 1) {
        const double t = 1 - x;
        return h01(t) + v * h10(t) + (u - v) * h11(t);
    }
    const double t = 2 - x;
    return v * h11(t);
}

} // namespace

double ResamplerKernel::operator()(double x) const
{
    const double ax = std::abs(x);
    if (ax > radius)
        return 0;
    switch (selector) {
    case 1:
        return ax <= 0.5 ? 1.0 : 0.0;
    case 2:
        return 1 - ax;
    case 3:
        return (std::cos(Pi * x) + 1) / 2;
    case 4:
        return cubicBSpline(ax);
    case 5:
        return keysCubic(ax, cubicCoefficient);
    case 6:
        return mitchell(ax);
    case 7:
        return sinc(x) * albrechtWindow(x);
    case 8:
        return sinc(x) * sinc(x / SincRadius);
    case 9:
        return sinc(x) * std::exp(-std::numbers::ln2 * x * x / gaussSigma);
    case 10:
        return sinc(x) * (0.42 + 0.5 * std::cos(Pi * x / SincRadius) + 0.08 * std::cos(2 * Pi * x / SincRadius));
    case 11:
        return sinc(x) * (0.5 + 0.5 * std::cos(Pi * x / SincRadius));
    case 12:
        return sinc(x) * (0.54 + 0.46 * std::cos(Pi * x / SincRadius));
    case 13: {
        if (x == 0)
            return 1;
        const double c = sinshCoefficient;
        return c * std::sin(Pi * x) / std::sinh(c * Pi * x);
    }
    case 14:
        return hermite(x, hermiteBias, hermiteTension);
    default:
        return 0;
    }
}

ResamplerKernel MakeResamplerKernel(int selector)
{
    ResamplerKernel kernel;
    kernel.selector = selector;
    switch (selector) {
    case 1:
    case 2:
    case 3:
        kernel.radius = 1;
        break;
    case 4:
    case 5:
    case 6:
    case 14:
        kernel.radius = 2;
        break;
    default:
        kernel.radius = SincRadius;
        break;
    }
    return kernel;
}
