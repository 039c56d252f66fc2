#pragma once

#include <QString>

// Real audio files made once with the ffmpeg tool and cached in the build
// folder: a sine tone of the given length and codec. Empty on failure.
QString audioFixture(const QString &name, int seconds);
