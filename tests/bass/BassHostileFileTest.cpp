// Files made to have a decoder search, allocate or resample without end: the
// library refuses each with its error code after reading a bounded part of
// it and with bounded memory, and a BASS_Free during an open does not wait
// for the file.

#include "BassTestSupport.h"
#include "HostileAudioFiles.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>

#include <cstdio>
#include <thread>

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

TEST_F(BassHostileFiles, FreeingTheOutputDuringAnOpenEndsTheOpenAndLeavesNoStream)
{
    // Many openings of a zero file on another thread; the output is freed
    // while one of them runs. Whatever the timing, an open that began before
    // the free gives no stream of the freed output, and nothing leaks.
    const std::string path = hostile::write(m_folder, "zeros.mp3");
    std::atomic<bool> stop{false};
    std::atomic<int> streams{0};
    std::thread opener([&] {
        while (!stop) {
            if (BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0) != 0)
                ++streams;
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(BASS_Free());
    stop = true;
    opener.join();
    EXPECT_EQ(streams.load(), 0);
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
}

} // namespace
