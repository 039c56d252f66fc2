#pragma once

#include <QString>

// Real audio files made once with the ffmpeg tool and cached in the build
// folder: a sine tone of the given length and codec. Empty on failure.
QString audioFixture(const QString &name, int seconds);

// A mono 16-bit 48 kHz WAV file of silence but for one spike of a
// millisecond at spikeAt seconds, reaching 90 % of full scale.
bool writeSpikeWav(const QString &path, int seconds, double spikeAt);
