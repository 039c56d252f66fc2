// Icon scaling for the open-with toolbar. Target: a 128 x 128 icon reduced to
// a 48 x 48 cell in under 1 ms.
#include "imaging/FreeImageLoader.h"
#include "imaging/IconFile.h"
#include "imaging/IconLoaderGR32FIHQ.h"
#include "imaging/Image32.h"
#include "imaging/ResamplerKernels.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

void BM_Stretch128To48Lanczos(benchmark::State &state)
{
    const QImage star = LoadIconGroup(QStringLiteral("17STAR"), 128);
    for (auto _ : state) {
        Image32 out;
        StretchBitmapHQ(star, 48, 48, out, false, false, false, LanczosKernel, 0);
        benchmark::DoNotOptimize(out.bits());
    }
}
BENCHMARK(BM_Stretch128To48Lanczos)->Unit(benchmark::kMicrosecond);

// Floor: Qt's own smooth (bilinear, box-filtered on reduction) scaling.
void BM_QtSmoothScale128To48(benchmark::State &state)
{
    const QImage star = LoadIconGroup(QStringLiteral("17STAR"), 128);
    for (auto _ : state) {
        QImage out = star.scaled(48, 48, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(out.bits());
    }
}
BENCHMARK(BM_QtSmoothScale128To48)->Unit(benchmark::kMicrosecond);

// The whole stock-image path: icon file, one-image ICO, FreeImage, scaling.
void BM_StockImageForCell48(benchmark::State &state)
{
    for (auto _ : state) {
        QImage cell = IconResourceImageForCell(QStringLiteral("17STAR"), 128, QSize(48, 48));
        benchmark::DoNotOptimize(cell.bits());
    }
}
BENCHMARK(BM_StockImageForCell48)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    LoadFreeImageLibrary();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    UnloadFreeImageLibrary();
    return 0;
}
