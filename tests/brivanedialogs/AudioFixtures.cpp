#include "AudioFixtures.h"

#include "support/TempDir.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

QString toneFixture(const QString &name, double seconds, int sampleRate, const QStringList &outputOptions)
{
    const QString folder = binaryDir() + QStringLiteral("/fixtures/brivanedialogs");
    QDir().mkpath(folder);
    const QString path = folder + u'/' + name;
    if (QFileInfo(path).size() > 0)
        return path;
    // Made under another name and renamed, so an interrupted run leaves no
    // half file that a later run would take for the fixture.
    const QString part = path + QStringLiteral(".part.") + QFileInfo(name).suffix();
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
        QStringList { QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"),
            QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("sine=frequency=440:sample_rate=%1:duration=%2").arg(sampleRate).arg(seconds) }
            + outputOptions + QStringList { part });
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0)
        return {};
    QFile::remove(path);
    return QFile::rename(part, path) ? path : QString();
}

QString audioFixture(const QString &name, int seconds)
{
    return toneFixture(name, seconds, 44100, { QStringLiteral("-af"), QStringLiteral("volume=4") });
}

bool writeSpikeWav(const QString &path, int seconds, double spikeAt)
{
    constexpr quint32 kRate = 48000;
    const quint32 frames = quint32(seconds) * kRate;
    QByteArray samples(int(frames * 2), '\0');
    const auto first = quint32(spikeAt * kRate);
    for (quint32 i = first; i < first + kRate / 1000 && i < frames; ++i) {
        const qint16 value = 29491;
        samples[int(2 * i)] = char(value & 0xFF);
        samples[int(2 * i + 1)] = char((value >> 8) & 0xFF);
    }
    QByteArray header;
    QDataStream out(&header, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples.size());
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << kRate << quint32(kRate * 2) << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(samples.size());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(header + samples) == header.size() + samples.size();
}
