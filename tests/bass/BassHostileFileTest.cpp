// Files made to have a decoder search, allocate or resample without end: the
// library refuses each with its error code after reading a bounded part of
// it and with bounded memory; a BASS_Free during opens leaves no stream.

#include "BassFixtures.h"
#include "BassTestSupport.h"
#include "HostileAudioFiles.h"
#include "support/TempDir.h"

#include <QFile>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

// Bytes the process has asked read() for so far.
long long bytesRead()
{
    long long bytes = -1;
    if (FILE *io = std::fopen("/proc/self/io", "r")) {
        char line[128];
        while (std::fgets(line, sizeof line, io)) {
            if (std::sscanf(line, "rchar: %lld", &bytes) == 1)
                break;
        }
        std::fclose(io);
    }
    return bytes;
}

// Peak resident memory since the last resetPeakMemory(), in KB.
long long peakMemoryKb()
{
    long long kb = -1;
    if (FILE *status = std::fopen("/proc/self/status", "r")) {
        char line[128];
        while (std::fgets(line, sizeof line, status)) {
            if (std::sscanf(line, "VmHWM: %lld", &kb) == 1)
                break;
        }
        std::fclose(status);
    }
    return kb;
}

long long residentKb()
{
    long long kb = -1;
    if (FILE *status = std::fopen("/proc/self/status", "r")) {
        char line[128];
        while (std::fgets(line, sizeof line, status)) {
            if (std::sscanf(line, "VmRSS: %lld", &kb) == 1)
                break;
        }
        std::fclose(status);
    }
    return kb;
}

void resetPeakMemory()
{
    if (FILE *refs = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", refs);
        std::fclose(refs);
    }
}

// Far below the 300 MB of the zero files, above the header budget (32 MB)
// plus the first-audio budget (1 MB) and the probe of a misnamed file.
constexpr long long kMostBytesRead = 40LL << 20;
constexpr long long kMostMemoryKb = 300LL << 10;

class BassHostileFiles : public testing::Test
{
protected:
    void SetUp() override
    {
        bassFixtureDir();
        m_folder = QFile::encodeName(m_temp.path()).toStdString();
        // The silent device: these tests are about opening files.
        ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    }
    void TearDown() override { BASS_Free(); }

    TempDir m_temp;
    std::string m_folder;
};

TEST_F(BassHostileFiles, EachIsRefusedWithItsErrorAfterABoundedReadInBoundedMemory)
{
    for (const hostile::File &file : hostile::files()) {
        SCOPED_TRACE(file.what);
        const std::string path = hostile::write(m_folder, file.name);
        ASSERT_FALSE(path.empty());
        resetPeakMemory();
        const long long memoryBefore = residentKb();
        const long long readBefore = bytesRead();
        const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_AUTOFREE);
        EXPECT_EQ(stream, 0u);
        EXPECT_EQ(BASS_ErrorGetCode(), file.error);
        EXPECT_LT(bytesRead() - readBefore, kMostBytesRead);
        EXPECT_LT(peakMemoryKb() - memoryBefore, kMostMemoryKb);
        std::remove(path.c_str());
    }
}

TEST_F(BassHostileFiles, ALowRateFileWithinTheRangePlays)
{
    const std::string path = hostile::writeLowRateWav(m_folder);
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_STREAM_AUTOFREE);
    ASSERT_NE(stream, 0u);
    EXPECT_TRUE(BASS_ChannelPlay(stream, TRUE));
    EXPECT_TRUE(BASS_StreamFree(stream));
}

TEST_F(BassHostileFiles, FreeingTheOutputDuringOpensLeavesNoStreamBehind)
{
    // Openings of a real file and a zero file, one after another on another
    // thread, while the output is freed: whatever the timing, no stream
    // outlives the free, also not one whose open was under way during it.
    const std::string files[] = { QFile::encodeName(bassFixture(QStringLiteral("long440.wav"))).toStdString(),
        hostile::write(m_folder, "zeros.mp3") };
    std::atomic<bool> stop { false };
    std::atomic<int> opened { 0 };
    std::vector<HSTREAM> made; // the opener's until it is joined
    std::thread opener([&] {
        for (size_t i = 0; !stop; ++i) {
            if (const HSTREAM stream = BASS_StreamCreateFile(FALSE, files[i % 2].c_str(), 0, 0, 0)) {
                made.push_back(stream);
                ++opened;
            }
        }
    });
    const bool someOpened = waitFor([&] { return opened >= 3; });
    EXPECT_TRUE(BASS_Free());
    stop = true;
    opener.join();
    EXPECT_TRUE(someOpened);
    for (const HSTREAM stream : made) {
        BASS_ChannelIsActive(stream);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE) << stream;
    }
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, files[0].c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
}

} // namespace
