// A program linking libbass.so must start without paying for SDL or FFmpeg:
// SDL comes with the first device call, FFmpeg on a thread of its own once
// the output is open, so that neither the caller nor the first stream waits
// for it.

#include "BassFixtures.h"
#include "BassTestSupport.h"
#include "support/TempDir.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

bool mapped(const char *library)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    return maps.readAll().contains(library);
}

TEST(BassLazyLoading, SdlAtTheFirstDeviceCallFfmpegInTheBackgroundOnceTheOutputIsOpen)
{
    ASSERT_TRUE(mapped("libbass.so"));
    EXPECT_FALSE(mapped("libSDL2"));
    EXPECT_FALSE(mapped("libavformat"));

    BASS_DEVICEINFO info {};
    ASSERT_TRUE(BASS_GetDeviceInfo(0, &info));
    EXPECT_TRUE(mapped("libSDL2"));
    EXPECT_FALSE(mapped("libavformat"));
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    // No stream asked for it: the output's opening did.
    EXPECT_TRUE(waitFor([] { return mapped("libbass_ffmpeg.so") && mapped("libavformat"); }));

    const HSTREAM stream = createStream(bassFixture(QStringLiteral("short440.wav")));
    EXPECT_NE(stream, 0u);
    BASS_Free();
}

} // namespace
