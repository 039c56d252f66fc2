#pragma once

#include <QString>
#include <QStringList>

// A 440 Hz sine tone made once with the ffmpeg tool at the given rate and
// cached in the build folder; outputOptions are ffmpeg's options for the
// file it writes (codec, channels, sample format...). Empty on failure.
QString toneFixture(const QString &name, double seconds, int sampleRate, const QStringList &outputOptions);

// Real audio files made once with the ffmpeg tool and cached in the build
// folder: a sine tone of the given length and codec. Empty on failure.
QString audioFixture(const QString &name, int seconds);

// A mono 16-bit 48 kHz WAV file of silence but for one spike of a
// millisecond at spikeAt seconds, reaching 90 % of full scale.
bool writeSpikeWav(const QString &path, int seconds, double spikeAt);
