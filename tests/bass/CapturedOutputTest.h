#pragma once

#include "BassFixtures.h"
#include "bass.h"
#include "support/TempDir.h"

#include <QString>

#include <gtest/gtest.h>

// A test whose device plays into a capture file of its own (SDL's disk
// driver), read back once the device is closed.
class CapturedOutputTest : public testing::Test
{
protected:
    void SetUp() override
    {
        bassFixtureDir();
        m_capturePath = m_temp.filePath(QStringLiteral("capture.raw"));
        qputenv("SDL_DISKAUDIOFILE", m_capturePath.toLocal8Bit());
        ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr)) << BASS_ErrorGetCode();
    }
    void TearDown() override { BASS_Free(); }

    // Closes the device, which flushes the capture, and reads it.
    Capture finish()
    {
        EXPECT_TRUE(BASS_Free());
        return readCapture(m_capturePath);
    }

    TempDir m_temp;
    QString m_capturePath;
};
