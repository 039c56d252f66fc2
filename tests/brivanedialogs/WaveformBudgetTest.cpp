// The thumbnails' waveform decoder against files made to have it search or
// allocate without end: each gives no waveform after reading a bounded part
// of it, and a real file at the lowest accepted rate still gives one.

#include "support/TempDir.h"
#include "tests/bass/HostileAudioFiles.h"
#include "tests/bass/NonRegularFiles.h"
#include "waveform/ProbeApi.h"
#include "waveform/WaveformApi.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

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

// Header budget (32 MB) plus the probe and first-audio budget (4 MB), twice
// for a file that is opened again after a failed seek.
constexpr long long kMostBytesRead = 80LL << 20;
constexpr int kColumns = 64;

class WaveformBudget : public testing::Test
{
protected:
    void SetUp() override
    {
        // Kept loaded, as the dialog library keeps it: FFmpeg's own tables
        // stay reachable.
        m_module = dlopen(WAVEFORM_MODULE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_module, nullptr) << dlerror();
        m_peaks = reinterpret_cast<BrivaneDialogsWaveform_PeaksProc>(dlsym(m_module, kWaveformPeaksSymbol));
        ASSERT_NE(m_peaks, nullptr);
        m_folder = QFile::encodeName(m_temp.path()).toStdString();
    }
    void *m_module = nullptr;
    BrivaneDialogsWaveform_PeaksProc m_peaks = nullptr;
    TempDir m_temp;
    std::string m_folder;
};

TEST_F(WaveformBudget, HostileFilesGiveNoWaveformAfterABoundedRead)
{
    std::vector<float> peaks(2 * kColumns);
    for (const hostile::File &file : hostile::files()) {
        SCOPED_TRACE(file.what);
        const std::string path = hostile::write(m_folder, file.name);
        ASSERT_FALSE(path.empty());
        const long long before = bytesRead();
        EXPECT_EQ(m_peaks(path.c_str(), peaks.data(), kColumns, nullptr), 0);
        EXPECT_LT(bytesRead() - before, kMostBytesRead);
        std::remove(path.c_str());
    }
}

TEST_F(WaveformBudget, ALowRateFileWithinTheRangeIsDrawn)
{
    std::vector<float> peaks(2 * kColumns);
    const std::string path = hostile::writeLowRateWav(m_folder);
    ASSERT_EQ(m_peaks(path.c_str(), peaks.data(), kColumns, nullptr), 1);
    EXPECT_GT(*std::max_element(peaks.begin(), peaks.end()), 0.1f);
}

// A named pipe under an audio file's name never delivers data, and opening
// it for reading waits for a writer that never comes: a reader that tries
// holds its thread (and the program's exit, which joins it) for good. Both
// entry points turn it down at once, and a folder or a device as well.
TEST_F(WaveformBudget, WhatIsNotARegularFileIsTurnedDownWithoutWaiting)
{
    auto probe = reinterpret_cast<BrivaneDialogsWaveform_ProbeProc>(dlsym(m_module, kWaveformProbeSymbol));
    ASSERT_NE(probe, nullptr);
    const std::vector<nonregular::Entry> entries = nonregular::make(m_folder);
    ASSERT_FALSE(entries.empty());
    std::vector<float> peaks(2 * kColumns);
    BrivaneDialogsAudioInfo info {};
    for (const nonregular::Entry &entry : entries) {
        const struct
        {
            const char *what;
            std::function<int()> read;
        } readers[] = {
            { "header probe", [&] { return probe(entry.path.c_str(), &info, 250, nullptr); } },
            { "waveform", [&] { return m_peaks(entry.path.c_str(), peaks.data(), kColumns, nullptr); } },
        };
        for (const auto &reader : readers) {
            SCOPED_TRACE(std::string(reader.what) + ", " + entry.what);
            const std::optional<int> result = nonregular::resultWithoutWaiting(reader.read, entry.path);
            ASSERT_TRUE(result.has_value()) << "still waiting after 10 s";
            EXPECT_EQ(*result, 0);
        }
    }
}

// FFmpeg tells of odd files on standard error; a desktop program's readers
// keep that out of the terminal it was started from.
TEST_F(WaveformBudget, DamagedFilesLeaveTheTerminalQuiet)
{
    auto probe = reinterpret_cast<BrivaneDialogsWaveform_ProbeProc>(dlsym(m_module, kWaveformProbeSymbol));
    ASSERT_NE(probe, nullptr);
    const std::string said = m_folder + "/stderr.txt";
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    const int capture = ::open(said.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(capture, 0);
    ::dup2(capture, STDERR_FILENO);
    std::vector<float> peaks(2 * kColumns);
    for (const hostile::File &file : hostile::files()) {
        const std::string path = hostile::write(m_folder, file.name);
        BrivaneDialogsAudioInfo info {};
        probe(path.c_str(), &info, 250, nullptr);
        m_peaks(path.c_str(), peaks.data(), kColumns, nullptr);
        std::remove(path.c_str());
    }
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::close(capture);
    struct stat written
    {
    };
    ASSERT_EQ(::stat(said.c_str(), &written), 0);
    EXPECT_EQ(written.st_size, 0) << "FFmpeg wrote to the terminal";
}

} // namespace
