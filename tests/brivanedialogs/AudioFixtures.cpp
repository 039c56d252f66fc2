#include "AudioFixtures.h"

#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

QString audioFixture(const QString &name, int seconds)
{
    const QString folder = binaryDir() + QStringLiteral("/fixtures/brivanedialogs");
    QDir().mkpath(folder);
    const QString path = folder + u'/' + name;
    if (QFileInfo(path).size() > 0)
        return path;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
                  QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                  QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(seconds),
                  QStringLiteral("-af"), QStringLiteral("volume=4"), path + QStringLiteral(".part.")
                      + QFileInfo(name).suffix()});
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0)
        return {};
    QFile::remove(path);
    return QFile::rename(path + QStringLiteral(".part.") + QFileInfo(name).suffix(), path) ? path : QString();
}
