#pragma once

#include "BassFixtures.h"
#include "bass.h"

#include <QString>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

// Waits for the library's threads to reach a state, checking every 5 ms.
inline bool waitFor(const std::function<bool()> &done, std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Lets a playing stream run until the output has written `time` of audio;
// what the capture shows is then checked.
inline void playFor(std::chrono::milliseconds time)
{
    EXPECT_TRUE(waitForCapturedAudio(time)) << "the output stopped writing";
}

inline HSTREAM createStream(const QString &path, DWORD flags = 0)
{
    const std::u16string utf16 = path.toStdU16String();
    return BASS_StreamCreateFile(FALSE, utf16.c_str(), 0, 0, flags | BASS_UNICODE);
}

inline bool streamStopped(HSTREAM handle)
{
    return BASS_ChannelIsActive(handle) == BASS_ACTIVE_STOPPED;
}
