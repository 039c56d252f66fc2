// A program linking libbass.so must start without paying for SDL or FFmpeg:
// SDL comes with the first device call, FFmpeg with the first stream.

#include "BassFixtures.h"
#include "BassTestSupport.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

bool mapped(const char *library)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    return maps.readAll().contains(library);
}

TEST(BassLazyLoading, SdlAtTheFirstDeviceCallFfmpegAtTheFirstStream)
{
    ASSERT_TRUE(mapped("libbass.so"));
    EXPECT_FALSE(mapped("libSDL2"));
    EXPECT_FALSE(mapped("libavformat"));

    BASS_DEVICEINFO info{};
    ASSERT_TRUE(BASS_GetDeviceInfo(0, &info));
    EXPECT_TRUE(mapped("libSDL2"));
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    EXPECT_FALSE(mapped("libavformat"));

    const HSTREAM stream = createStream(bassFixture(QStringLiteral("short440.wav")));
    EXPECT_NE(stream, 0u);
    EXPECT_TRUE(mapped("libbass_ffmpeg.so"));
    EXPECT_TRUE(mapped("libavformat"));
    BASS_Free();
}

} // namespace
