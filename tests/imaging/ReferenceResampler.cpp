#include "ReferenceResampler.h"

#include <algorithm>
#include <cmath>

namespace {

struct Tap
{
    int index;
    double weight;
};

std::vector<Tap> taps(const ResamplerKernel &kernel, int n, int m, int i)
{
    const double f = m < n ? double(n) / m : 1.0;
    const double c = (i + 0.5) * n / m - 0.5;
    std::vector<Tap> out;
    double sum = 0;
    for (int j = int(std::floor(c - kernel.radius * f)) - 1; j <= int(std::ceil(c + kernel.radius * f)) + 1; ++j) {
        if (std::abs(j - c) > kernel.radius * f)
            continue;
        const double w = kernel((j - c) / f) / f;
        out.push_back({ std::clamp(j, 0, n - 1), w });
        sum += w;
    }
    for (Tap &t : out)
        t.weight /= sum;
    return out;
}

} // namespace

QImage ReferenceResample(const QImage &source, const ResamplerKernel &kernel, int width, int height)
{
    const QImage src = source.convertToFormat(QImage::Format_ARGB32);
    QImage out(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        const std::vector<Tap> ty = taps(kernel, src.height(), height, y);
        for (int x = 0; x < width; ++x) {
            const std::vector<Tap> tx = taps(kernel, src.width(), width, x);
            double a = 0, r = 0, g = 0, b = 0;
            for (const Tap &v : ty) {
                for (const Tap &h : tx) {
                    const QRgb p = src.pixel(h.index, v.index);
                    const double wa = v.weight * h.weight * qAlpha(p);
                    a += wa;
                    r += wa * qRed(p);
                    g += wa * qGreen(p);
                    b += wa * qBlue(p);
                }
            }
            const int alpha = int(std::clamp(std::floor(a + 0.5), 0.0, 255.0));
            if (alpha == 0) {
                out.setPixel(x, y, 0);
                continue;
            }
            auto ch = [a](double s) { return int(std::clamp(std::floor(s / a + 0.5), 0.0, 255.0)); };
            out.setPixel(x, y, qRgba(ch(r), ch(g), ch(b), alpha));
        }
    }
    return out;
}
