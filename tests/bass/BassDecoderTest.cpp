// The FFmpeg decoder behind libbass.so, driven through its C boundary: every
// format of the browser's filter that can be made here decodes to the right
// length and pitch, in the device's stereo float format.

#include "BassFixtures.h"
#include "HostileAudioFiles.h"
#include "NonRegularFiles.h"
#include "bass.h"
#include "libs/bass/ffmpeg/DecoderApi.h"
#include "support/TempDir.h"

#include <QFile>

#include <gtest/gtest.h>

#include <atomic>
#include <cfloat>
#include <cmath>
#include <limits>
#include <vector>

extern "C" {
int bass_decoder_open(const char *path, const BassDecoderOptions *options, BassDecoder **decoder);
int bass_decoder_read(BassDecoder *decoder, float *out, int frames);
int bass_decoder_rewind(BassDecoder *decoder);
int bass_decoder_seek(BassDecoder *decoder, double seconds);
void bass_decoder_close(BassDecoder *decoder);
}

namespace {

constexpr int kRate = 44100;

struct Decoded
{
    int error = BASS_OK;
    std::vector<float> left, right;
};

Decoded decodeAll(const QString &path, int rate = kRate)
{
    Decoded result;
    BassDecoderOptions options { rate, 2, nullptr, nullptr };
    BassDecoder *decoder = nullptr;
    result.error = bass_decoder_open(QFile::encodeName(path).constData(), &options, &decoder);
    if (result.error != BASS_OK)
        return result;
    std::vector<float> buffer(4096 * 2);
    for (;;) {
        const int got = bass_decoder_read(decoder, buffer.data(), 4096);
        if (got <= 0)
            break;
        for (int i = 0; i < got; ++i) {
            result.left.push_back(buffer[size_t(2 * i)]);
            result.right.push_back(buffer[size_t(2 * i + 1)]);
        }
    }
    bass_decoder_close(decoder);
    return result;
}

struct FormatCase
{
    const char *file;
    // Seconds: lossy codecs pad to whole frames (FFmpeg's own tool decodes AAC in
    // MP4 to 1.022 s, ADTS to 1.045 s), lossless ones are exact.
    double lengthTolerance;
};

void PrintTo(const FormatCase &c, std::ostream *os)
{
    *os << c.file;
}

class DecoderFormat : public testing::TestWithParam<FormatCase>
{
};

TEST_P(DecoderFormat, DecodesToLengthAndPitch)
{
    const QString path = bassFixture(QString::fromLatin1(GetParam().file));
    if (!QFile::exists(path))
        GTEST_SKIP() << "no encoder here for " << GetParam().file;
    const Decoded decoded = decodeAll(path);
    ASSERT_EQ(decoded.error, BASS_OK);
    const double seconds = double(decoded.left.size()) / kRate;
    EXPECT_NEAR(seconds, 1.0, GetParam().lengthTolerance);
    // Pitch over the middle of the tone, away from codec start-up and tail.
    ASSERT_GT(decoded.left.size(), size_t(kRate * 0.9));
    const size_t from = kRate / 10, count = size_t(kRate * 0.7);
    EXPECT_NEAR(frequencyOf(&decoded.left[from], count, kRate), 440.0, 440.0 * 0.01);
    EXPECT_NEAR(frequencyOf(&decoded.right[from], count, kRate), 440.0, 440.0 * 0.01);
    // Half-scale sine: RMS 0.354 (lossy codecs and DSD's filters keep it within a few %).
    EXPECT_NEAR(rmsOf(&decoded.left[from], count), 0.3536, 0.03);
}

INSTANTIATE_TEST_SUITE_P(BrowserFilter, DecoderFormat,
    testing::Values(FormatCase { "tone.mp3", 0.03 }, FormatCase { "tone.mp2", 0.06 }, FormatCase { "tone.mpa", 0.06 },
        FormatCase { "tone.flac", 0.001 }, FormatCase { "tone.fla", 0.001 }, FormatCase { "tone.flc", 0.001 },
        FormatCase { "tone-vorbis.oga", 0.01 }, FormatCase { "tone-opus.oga", 0.01 },
        FormatCase { "tone-flac.oga", 0.001 }, FormatCase { "tone.wav", 0.001 }, FormatCase { "tone.aif", 0.001 },
        FormatCase { "tone.aiff", 0.001 }, FormatCase { "tone.aifc", 0.001 }, FormatCase { "tone.afc", 0.001 },
        FormatCase { "tone.mp4", 0.03 }, FormatCase { "tone.m4a", 0.03 }, FormatCase { "tone-alac.m4a", 0.001 },
        FormatCase { "tone.m4b", 0.03 }, FormatCase { "tone.aac", 0.06 }, FormatCase { "tone.ac3", 0.06 },
        FormatCase { "tone.wma", 0.06 }, FormatCase { "tone.mpc", 0.06 }, FormatCase { "tone.dsf", 0.01 },
        FormatCase { "tone.dff", 0.01 }, FormatCase { "tone.ogg", 0.01 }, FormatCase { "tone.opus", 0.01 },
        FormatCase { "tone.spx", 0.06 }, FormatCase { "tone.wv", 0.001 }, FormatCase { "tone.tta", 0.001 },
        FormatCase { "tone.caf", 0.001 }, FormatCase { "tone.w64", 0.001 }, FormatCase { "tone.mka", 0.001 }),
    [](const testing::TestParamInfo<FormatCase> &info) {
        std::string name = info.param.file;
        for (char &c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        }
        return name;
    });

TEST(Decoder, ConvertsToTheRequestedRate)
{
    const Decoded decoded = decodeAll(bassFixture(QStringLiteral("tone.flac")), 48000);
    ASSERT_EQ(decoded.error, BASS_OK);
    EXPECT_NEAR(double(decoded.left.size()) / 48000, 1.0, 0.002);
    EXPECT_NEAR(frequencyOf(&decoded.left[4800], 33600, 48000), 440.0, 4.4);
}

TEST(Decoder, MonoReachesBothSpeakersAtFullLevel)
{
    const Decoded decoded = decodeAll(bassFixture(QStringLiteral("level440.wav")));
    ASSERT_EQ(decoded.error, BASS_OK);
    EXPECT_NEAR(rmsOf(decoded.left.data(), decoded.left.size()), 0.3536, 0.005);
    EXPECT_NEAR(rmsOf(decoded.right.data(), decoded.right.size()), 0.3536, 0.005);
}

TEST(Decoder, RewindGivesTheSameSamplesAgain)
{
    BassDecoderOptions options { kRate, 2, nullptr, nullptr };
    BassDecoder *decoder = nullptr;
    ASSERT_EQ(
        bass_decoder_open(QFile::encodeName(bassFixture(QStringLiteral("tone.mp3"))).constData(), &options, &decoder),
        BASS_OK);
    std::vector<float> first(8192 * 2), skipped(8192 * 2), again(8192 * 2);
    ASSERT_EQ(bass_decoder_read(decoder, first.data(), 8192), 8192);
    ASSERT_EQ(bass_decoder_read(decoder, skipped.data(), 8192), 8192);
    ASSERT_EQ(bass_decoder_rewind(decoder), BASS_OK);
    ASSERT_EQ(bass_decoder_read(decoder, again.data(), 8192), 8192);
    EXPECT_EQ(first, again);
    bass_decoder_close(decoder);
}

TEST(Decoder, InterruptStopsReading)
{
    std::atomic<bool> stop { false };
    BassDecoderOptions options { kRate, 2,
        [](void *flag) { return static_cast<std::atomic<bool> *>(flag)->load() ? 1 : 0; }, &stop };
    BassDecoder *decoder = nullptr;
    ASSERT_EQ(bass_decoder_open(
                  QFile::encodeName(bassFixture(QStringLiteral("long440.wav"))).constData(), &options, &decoder),
        BASS_OK);
    std::vector<float> buffer(4096 * 2);
    ASSERT_GT(bass_decoder_read(decoder, buffer.data(), 4096), 0);
    stop = true;
    // Whatever was already read may still come out; then it stops well before the two seconds.
    long total = 0;
    for (int got; (got = bass_decoder_read(decoder, buffer.data(), 4096)) > 0;)
        total += got;
    EXPECT_LT(total, kRate);
    bass_decoder_close(decoder);
}

} // namespace

TEST(Decoder, LowestAcceptedRateIsUpsampledInSlicesWithNothingLost)
{
    // One second at 1 kHz becomes 44,100 frames: each decoded frame is
    // resampled in slices, and every slice's output is kept.
    TempDir dir;
    const std::string path = hostile::writeLowRateWav(QFile::encodeName(dir.path()).toStdString());
    ASSERT_FALSE(path.empty());
    const Decoded decoded = decodeAll(QFile::decodeName(path.c_str()));
    ASSERT_EQ(decoded.error, BASS_OK);
    EXPECT_NEAR(double(decoded.left.size()), double(kRate), kRate * 0.01);
    EXPECT_GT(rmsOf(decoded.left.data(), decoded.left.size()), 0.1);
}

std::string writeJumpingFile(const TempDir &dir)
{
    return hostile::writeJumpingTimestamps(
        QFile::encodeName(bassFixture(QStringLiteral("plain-timeline.m4a"))).toStdString(),
        QFile::encodeName(dir.filePath(QStringLiteral("jumping.m4a"))).toStdString());
}

// Times no file has a place for, on a file with an ordinary time base and on
// one whose header claims one second: each seek gets an answer with no
// undefined arithmetic on the way (the sanitizer build stops at the first).
// A time past the end leaves nothing to read; one that is no time is refused.
TEST(Decoder, SeeksToTimesNoFileHasAnswerWithoutOverflow)
{
    TempDir dir;
    const std::string jumping = writeJumpingFile(dir);
    ASSERT_FALSE(jumping.empty());
    const std::string files[] = { QFile::encodeName(bassFixture(QStringLiteral("tone.m4a"))).toStdString(), jumping };
    constexpr double inf = std::numeric_limits<double>::infinity();
    const struct
    {
        double seconds;
        bool refused;
    } cases[] = {
        { 1e30, false },
        { DBL_MAX, false },
        { inf, true },
        { -inf, true },
        { std::nan(""), true },
        { -1.0, true },
    };
    BassDecoderOptions options { kRate, 2, nullptr, nullptr };
    std::vector<float> buffer(4096 * 2);
    for (const std::string &file : files) {
        for (const auto &c : cases) {
            SCOPED_TRACE(file + " at " + std::to_string(c.seconds));
            BassDecoder *decoder = nullptr;
            ASSERT_EQ(bass_decoder_open(file.c_str(), &options, &decoder), BASS_OK);
            if (c.refused) {
                EXPECT_EQ(bass_decoder_seek(decoder, c.seconds), BASS_ERROR_POSITION);
            } else {
                EXPECT_EQ(bass_decoder_seek(decoder, c.seconds), BASS_OK);
                EXPECT_EQ(bass_decoder_read(decoder, buffer.data(), 4096), 0);
            }
            bass_decoder_close(decoder);
        }
    }
}

// After a seek into the gap before a frame stamped days later, that frame is
// played from its first sample: the asked sample is billions of samples
// before it.
TEST(Decoder, ASeekBeforeAFrameStampedDaysLaterStartsAtThatFrame)
{
    TempDir dir;
    const std::string jumping = writeJumpingFile(dir);
    ASSERT_FALSE(jumping.empty());
    BassDecoderOptions options { kRate, 2, nullptr, nullptr };
    BassDecoder *decoder = nullptr;
    ASSERT_EQ(bass_decoder_open(jumping.c_str(), &options, &decoder), BASS_OK);
    ASSERT_EQ(bass_decoder_seek(decoder, 1.0), BASS_OK);
    std::vector<float> buffer(4096 * 2);
    EXPECT_GT(bass_decoder_read(decoder, buffer.data(), 4096), 0);
    bass_decoder_close(decoder);
}

// A named pipe under an audio file's name would hold the decoder in open(2)
// waiting for a writer; it, a folder and a device are refused at once.
TEST(Decoder, WhatIsNotARegularFileIsRefusedWithoutWaiting)
{
    TempDir dir;
    const std::vector<nonregular::Entry> entries = nonregular::make(QFile::encodeName(dir.path()).toStdString());
    ASSERT_FALSE(entries.empty());
    BassDecoderOptions options { kRate, 2, nullptr, nullptr };
    for (const nonregular::Entry &entry : entries) {
        SCOPED_TRACE(entry.what);
        BassDecoder *decoder = nullptr;
        const std::optional<int> result = nonregular::resultWithoutWaiting(
            [&] { return bass_decoder_open(entry.path.c_str(), &options, &decoder); }, entry.path);
        ASSERT_TRUE(result.has_value()) << "still waiting after 10 s";
        EXPECT_EQ(*result, BASS_ERROR_FILEOPEN);
        if (decoder)
            bass_decoder_close(decoder);
    }
}
