#include "CopyMoveTestSupport.h"

#include <QDir>
#include <QFile>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

QByteArray patternBytes(qint64 size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = seed * 2654435761u + 1;
    // Through the raw buffer: indexing the array checks for sharing at every
    // byte, which made tens of megabytes take seconds in a debug build.
    char *out = bytes.data();
    for (qint64 i = 0; i < size; ++i) {
        state = state * 1664525u + 1013904223u;
        out[i] = char(state >> 24);
    }
    return bytes;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

quint64 inodeOf(const QString &path)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? quint64(info.st_ino) : 0;
}

TmpfsMount::TmpfsMount(const QString &path)
    : m_path(path)
{
    QDir().mkpath(path);
    if (::geteuid() == 0)
        m_mounted = ::mount("tmpfs", QFile::encodeName(path).constData(), "tmpfs", 0, "size=256m") == 0;
}

TmpfsMount::~TmpfsMount()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
}
