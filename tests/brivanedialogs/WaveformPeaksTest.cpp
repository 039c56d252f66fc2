// The waveform decoder's two pictures of a long file: the quick one samples
// a few spots per column and can miss a short peak between them; the exact
// one reads every sample and shows it.

#include "AudioFixtures.h"
#include "support/TempDir.h"
#include "waveform/WaveformApi.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <dlfcn.h>
#include <vector>

namespace {

constexpr int kColumns = 160;

TEST(WaveformPeaks, OnlyTheExactPictureShowsAShortSpikeBetweenSampledSpots)
{
    void *module = dlopen(WAVEFORM_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto peaksOf = reinterpret_cast<BrivaneDialogsWaveform_PeaksOfProc>(dlsym(module, kWaveformPeaksOfSymbol));
    ASSERT_NE(peaksOf, nullptr);
    TempDir dir;
    // 40 s: long enough to be sampled; the spike sits 0.1 s into column 40,
    // away from the spots the quick picture reads.
    const QString path = dir.filePath(QStringLiteral("spike.wav"));
    ASSERT_TRUE(writeSpikeWav(path, 40, 10.1));
    const QByteArray encoded = QFile::encodeName(path);

    std::vector<float> quick(2 * kColumns);
    ASSERT_EQ(peaksOf(encoded.constData(), quick.data(), kColumns, 0, nullptr), kWaveformSampled);
    EXPECT_LT(*std::max_element(quick.begin(), quick.end()), 0.1f) << "the fixture no longer shows the fault";

    std::vector<float> exact(2 * kColumns);
    ASSERT_EQ(peaksOf(encoded.constData(), exact.data(), kColumns, kWaveformExact, nullptr), kWaveformExact);
    const auto highest = std::max_element(exact.begin(), exact.end());
    EXPECT_NEAR(*highest, 0.9f, 0.01f);
    EXPECT_EQ((highest - exact.begin()) / 2, 40) << "column of the spike";
    // Silence elsewhere stays flat.
    EXPECT_EQ(std::count_if(exact.begin(), exact.end(), [](float v) { return std::abs(v) > 0.01f; }), 1);
}

} // namespace
