#pragma once

// The library the search benchmarks search: 100,000 files in 1,000 folders,
// a tenth of them not audio and a tenth of the audio named "kick ...", made
// once per run in the temporary folder.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLatin1String>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 100;
constexpr int kNonAudioPerFolder = 10;
const char *const kWords[] = { "kick", "snare", "hat", "tom", "pad", "bass", "vox", "fx", "loop", "perc" };
const char *const kTypes[] = { "wav", "flac", "mp3" };

inline double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The tree, made once per run in the temporary folder. Folder times are
// set an hour back, as a library's are: the index trusts only settled ones.
inline const QString &libraryRoot()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/vantrel-bench-XXXXXX"));
    static const QString root = [] {
        const QString base = dir.path() + QStringLiteral("/library");
        const struct timeval past[2] = { { ::time(nullptr) - 3600, 0 }, { ::time(nullptr) - 3600, 0 } };
        for (int f = 0; f < kFolders; ++f) {
            const QString folder = base + QStringLiteral("/pack %1/take %2").arg(f / 10).arg(f % 10);
            QDir().mkpath(folder);
            for (int i = 0; i < kFilesPerFolder; ++i) {
                const bool audio = i >= kNonAudioPerFolder;
                const QString name = QStringLiteral("%1 %2_%3.%4")
                                         .arg(QLatin1String(kWords[i % 10]))
                                         .arg(f)
                                         .arg(i)
                                         .arg(audio ? QLatin1String(kTypes[i % 3]) : QLatin1String("txt"));
                const int fd = ::open(QFile::encodeName(folder + QLatin1Char('/') + name).constData(),
                    O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
                if (fd >= 0)
                    ::close(fd);
            }
            ::utimes(QFile::encodeName(folder).constData(), past);
            if (f % 10 == 9)
                ::utimes(QFile::encodeName(QFileInfo(folder).path()).constData(), past);
        }
        ::utimes(QFile::encodeName(base).constData(), past);
        return base;
    }();
    return root;
}

} // namespace
