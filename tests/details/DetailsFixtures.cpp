#include "DetailsFixtures.h"

#include "details/DetailsTextForm.h"
#include "details/MediaInfoLibraryFunctions.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

// Fixtures live in the build folder and are made once.
QString fixture(const QString &name, const QStringList &ffmpegArguments)
{
    const QString folder = binaryDir() + QStringLiteral("/fixtures/details");
    QDir().mkpath(folder);
    const QString path = folder + u'/' + name;
    if (QFileInfo::exists(path))
        return path;
    // Test programs may run side by side: each makes its own partial file
    // and the rename publishes a complete one.
    const QString partial = folder + QStringLiteral("/partial-%1-").arg(QCoreApplication::applicationPid()) + name;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
        QStringList { QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y") } + ffmpegArguments
            + QStringList { partial });
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) {
        ADD_FAILURE() << "ffmpeg failed: " << ffmpeg.readAllStandardError().toStdString();
        return {};
    }
    QFile::remove(path);
    QFile::rename(partial, path);
    return path;
}

QStringList toneAndPicture(const QString &pictureCodec)
{
    return { QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
        QStringLiteral("sine=frequency=440:duration=1"), QStringLiteral("-f"), QStringLiteral("lavfi"),
        QStringLiteral("-i"), QStringLiteral("color=c=red:s=16x16:d=0.04"), QStringLiteral("-map"), QStringLiteral("0"),
        QStringLiteral("-map"), QStringLiteral("1"), QStringLiteral("-c:v"), pictureCodec,
        QStringLiteral("-disposition:v"), QStringLiteral("attached_pic") };
}

QStringList tags()
{
    return { QStringLiteral("-metadata"), QString::fromUtf16(u"title=Ünïcödé: Tïtle — 東京"),
        QStringLiteral("-metadata"), QStringLiteral("comment=Recorded at 12:34:56: take 2"),
        QStringLiteral("-metadata"), QString::fromUtf16(u"artist=Ärtist") };
}

} // namespace

QString mp3WithCover()
{
    return fixture(QString::fromUtf16(u"cover ünï.mp3"),
        toneAndPicture(QStringLiteral("mjpeg")) + tags()
            + QStringList { QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QStringLiteral("-id3v2_version"),
                QStringLiteral("3") });
}

QString flacWithCover()
{
    return fixture(QStringLiteral("cover.flac"),
        toneAndPicture(QStringLiteral("png")) + tags()
            + QStringList { QStringLiteral("-c:a"), QStringLiteral("flac") });
}

QString m4aWithCover()
{
    return fixture(QStringLiteral("cover.m4a"),
        toneAndPicture(QStringLiteral("mjpeg")) + tags()
            + QStringList { QStringLiteral("-c:a"), QStringLiteral("aac") });
}

QString m4aWithChapters()
{
    // Chapter titles with colons, as people name them.
    const QString metadata = binaryDir() + QStringLiteral("/fixtures/details/chapters.ffmetadata");
    QDir().mkpath(QFileInfo(metadata).path());
    QFile file(metadata);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(";FFMETADATA1\n"
               "[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=500\ntitle=Intro: part one\n"
               "[CHAPTER]\nTIMEBASE=1/1000\nSTART=500\nEND=1000\ntitle=Outro\n");
    file.close();
    return fixture(QStringLiteral("chapters.m4a"),
        { QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("sine=frequency=440:duration=1"), QStringLiteral("-i"), metadata, QStringLiteral("-map"),
            QStringLiteral("0"), QStringLiteral("-map_chapters"), QStringLiteral("1"), QStringLiteral("-c:a"),
            QStringLiteral("aac") });
}

QString flacWithCustomTag()
{
    return fixture(QStringLiteral("custom-tag.flac"),
        { QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("sine=frequency=440:duration=1"), QStringLiteral("-metadata"),
            QStringLiteral("MY:KEY=custom: value"), QStringLiteral("-c:a"), QStringLiteral("flac") });
}

QString debianSound()
{
    return QStringLiteral("/usr/share/sounds/freedesktop/stereo/bell.oga");
}

QStringList programTextForm(const QString &file)
{
    TDetailsLines lines;
    ReadFileDetails(file, lines);
    QStringList text;
    AppendDetailsTextForm(text, BuildDetailsContents(lines));
    return text;
}
