#include "imaging/KernelResampler.h"

#include "imaging/Image32.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Visible part [first, last) of an output run starting at origin with length
// length on a target axis of size size.
struct Span
{
    int first;
    int last;
};

Span visibleSpan(int origin, int length, int size)
{
    return { std::max(0, -origin), std::min(length, size - origin) };
}

// Per output pixel of one axis: a contiguous run of source pixels and their
// weights. Positions past an edge were folded onto the edge pixel.
struct AxisWeights
{
    std::vector<int> start;
    std::vector<int> count;
    std::vector<int> offset;
    std::vector<double> weights;
};

AxisWeights buildAxisWeights(const ResamplerKernel &kernel, int n, int m, Span span)
{
    AxisWeights table;
    const double ratio = double(n) / double(m);
    const bool reducing = m < n;
    const double stretch = reducing ? ratio : 1.0;
    const double reach = kernel.radius * stretch;
    std::vector<double> local;
    for (int i = span.first; i < span.last; ++i) {
        const double centre = (i + 0.5) * ratio - 0.5;
        const int lo = int(std::ceil(centre - reach));
        const int hi = int(std::floor(centre + reach));
        const int first = std::clamp(lo, 0, n - 1);
        const int last = std::clamp(hi, 0, n - 1);
        local.assign(std::size_t(last - first + 1), 0.0);
        double sum = 0;
        for (int j = lo; j <= hi; ++j) {
            const double w = kernel((j - centre) / stretch) / stretch;
            local[std::size_t(std::clamp(j, 0, n - 1) - first)] += w;
            sum += w;
        }
        // A window can in theory sum to zero (box kernel between samples);
        // fall back to the nearest pixel rather than dividing by it.
        if (std::abs(sum) < 1e-12) {
            local.assign(local.size(), 0.0);
            local[std::size_t(std::clamp(int(std::lround(centre)), first, last) - first)] = 1.0;
            sum = 1.0;
        }
        table.start.push_back(first);
        table.count.push_back(int(local.size()));
        table.offset.push_back(int(table.weights.size()));
        for (double w : local)
            table.weights.push_back(w / sum);
    }
    return table;
}

// Alpha-premultiplied channel sums of one intermediate pixel.
struct Accum
{
    double b = 0;
    double g = 0;
    double r = 0;
    double a = 0;
};

std::uint32_t finish(const Accum &s)
{
    const double alpha = std::clamp(std::floor(s.a + 0.5), 0.0, 255.0);
    if (alpha <= 0)
        return 0;
    auto channel = [&s](double sum) { return std::uint32_t(std::clamp(std::floor(sum / s.a + 0.5), 0.0, 255.0)); };
    return (std::uint32_t(alpha) << 24) | (channel(s.r) << 16) | (channel(s.g) << 8) | channel(s.b);
}

} // namespace

void DrawNearest(const Image32 &source, Image32 &target, int x, int y, int w, int h)
{
    if (source.isEmpty() || w <= 0 || h <= 0)
        return;
    const Span xs = visibleSpan(x, w, target.width());
    const Span ys = visibleSpan(y, h, target.height());
    for (int j = ys.first; j < ys.last; ++j) {
        const int sy = std::min(int((j + 0.5) * source.height() / h), source.height() - 1);
        const std::uint32_t *in = source.scanLine(sy);
        std::uint32_t *out = target.scanLine(y + j) + x;
        for (int i = xs.first; i < xs.last; ++i)
            out[i] = in[std::min(int((i + 0.5) * source.width() / w), source.width() - 1)];
    }
}

void DrawWithKernel(const Image32 &source, const ResamplerKernel &kernel, Image32 &target, int x, int y, int w, int h)
{
    if (source.isEmpty() || w <= 0 || h <= 0)
        return;
    const Span xs = visibleSpan(x, w, target.width());
    const Span ys = visibleSpan(y, h, target.height());
    if (xs.first >= xs.last || ys.first >= ys.last)
        return;
    const AxisWeights horizontal = buildAxisWeights(kernel, source.width(), w, xs);
    const AxisWeights vertical = buildAxisWeights(kernel, source.height(), h, ys);
    const int columns = xs.last - xs.first;

    // Rows of the source the visible output needs.
    const int rowFirst = vertical.start.front();
    int rowLast = rowFirst;
    for (std::size_t k = 0; k < vertical.start.size(); ++k)
        rowLast = std::max(rowLast, vertical.start[k] + vertical.count[k]);

    // Horizontal pass into alpha-premultiplied sums, kept unrounded so the two
    // passes equal one evaluation of the product weights.
    std::vector<Accum> rows(std::size_t(rowLast - rowFirst) * std::size_t(columns));
    for (int sy = rowFirst; sy < rowLast; ++sy) {
        const std::uint32_t *in = source.scanLine(sy);
        Accum *out = rows.data() + std::size_t(sy - rowFirst) * std::size_t(columns);
        for (int c = 0; c < columns; ++c) {
            const double *weights = horizontal.weights.data() + horizontal.offset[std::size_t(c)];
            const std::uint32_t *px = in + horizontal.start[std::size_t(c)];
            Accum s;
            for (int k = 0, n = horizontal.count[std::size_t(c)]; k < n; ++k) {
                const std::uint32_t p = px[k];
                const double wa = weights[k] * double(p >> 24);
                s.b += wa * double(p & 0xFF);
                s.g += wa * double((p >> 8) & 0xFF);
                s.r += wa * double((p >> 16) & 0xFF);
                s.a += wa;
            }
            out[c] = s;
        }
    }

    for (int r = 0; r < ys.last - ys.first; ++r) {
        const double *weights = vertical.weights.data() + vertical.offset[std::size_t(r)];
        const int first = vertical.start[std::size_t(r)] - rowFirst;
        const int n = vertical.count[std::size_t(r)];
        std::uint32_t *out = target.scanLine(y + ys.first + r) + x + xs.first;
        for (int c = 0; c < columns; ++c) {
            Accum s;
            for (int k = 0; k < n; ++k) {
                const Accum &q = rows[std::size_t(first + k) * std::size_t(columns) + std::size_t(c)];
                const double wk = weights[k];
                s.b += wk * q.b;
                s.g += wk * q.g;
                s.r += wk * q.r;
                s.a += wk * q.a;
            }
            out[c] = finish(s);
        }
    }
}
