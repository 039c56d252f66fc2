#include "WaveformDiskCache.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <sys/stat.h>
#include <vector>

namespace bd {

namespace {

constexpr quint32 kMagic = 0x42445746; // "BDWF"
constexpr quint32 kVersion = 1;
const QLatin1StringView kSuffix(".waveform");
// Eviction goes below the limit by this share, so a full cache is not
// listed again at every new entry.
constexpr double kEvictTo = 0.9;

// FNV-1a: enough to notice a damaged or half-written entry.
quint64 checksum(const QByteArray &bytes)
{
    quint64 hash = 14695981039346656037ULL;
    for (const char c : bytes) {
        hash ^= quint8(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

QByteArray payloadOf(const QVector<float> &peaks)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.setFloatingPointPrecision(QDataStream::SinglePrecision);
    out << kMagic << kVersion << quint32(peaks.size());
    for (const float value : peaks)
        out << value;
    return bytes;
}

} // namespace

WaveformDiskCache::WaveformDiskCache(const QString &folder, qint64 limitBytes)
    : m_folder(folder)
    , m_limit(limitBytes)
{ }

QString WaveformDiskCache::defaultFolder()
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.cache");
    return base + QStringLiteral("/brivanedialogs/waveforms");
}

QString WaveformDiskCache::entryFor(const QString &path) const
{
    if (m_folder.isEmpty())
        return {};
    struct stat info
    {
    };
    const QByteArray encoded = QFile::encodeName(path);
    if (::stat(encoded.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(encoded);
    const QByteArray stamp = '\n' + QByteArray::number(qint64(info.st_size)) + '\n'
        + QByteArray::number(qint64(info.st_mtim.tv_sec)) + '.' + QByteArray::number(qint64(info.st_mtim.tv_nsec));
    hash.addData(stamp);
    return m_folder + u'/' + QString::fromLatin1(hash.result().toHex()) + kSuffix;
}

bool WaveformDiskCache::load(const QString &entry, int columns, QVector<float> &peaks) const
{
    if (entry.isEmpty())
        return false;
    QFile file(entry);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 expected = 3 * 4 + qint64(2 * columns) * 4 + 8;
    if (file.size() != expected)
        return false;
    const QByteArray bytes = file.readAll();
    if (bytes.size() != expected)
        return false;
    const QByteArray body = bytes.left(expected - 8);
    QDataStream in(bytes);
    in.setByteOrder(QDataStream::LittleEndian);
    in.setFloatingPointPrecision(QDataStream::SinglePrecision);
    quint32 magic = 0, version = 0, count = 0;
    in >> magic >> version >> count;
    if (magic != kMagic || version != kVersion || count != quint32(2 * columns))
        return false;
    QVector<float> values(2 * columns);
    for (float &value : values) {
        in >> value;
        if (!std::isfinite(value) || value < -1.0f || value > 1.0f)
            return false;
    }
    quint64 sum = 0;
    in >> sum;
    if (in.status() != QDataStream::Ok || sum != checksum(body))
        return false;
    peaks = std::move(values);
    // Recently used entries are the last to be evicted.
    file.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    return true;
}

void WaveformDiskCache::store(const QString &entry, const QVector<float> &peaks)
{
    if (entry.isEmpty() || !QDir().mkpath(m_folder))
        return;
    QByteArray bytes = payloadOf(peaks);
    const quint64 sum = checksum(bytes);
    QDataStream tail(&bytes, QIODevice::Append);
    tail.setByteOrder(QDataStream::LittleEndian);
    tail << sum;
    // Written beside and renamed into place: a reader never sees half an
    // entry, and a crash leaves none.
    QSaveFile file(entry);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return;
    QMutexLocker lock(&m_mutex);
    if (m_total >= 0)
        m_total += bytes.size();
    if (m_total < 0 || m_total > m_limit)
        evictOldest();
}

void WaveformDiskCache::evictOldest()
{
    QDir dir(m_folder);
    QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    qint64 total = 0;
    for (const QFileInfo &info : std::as_const(entries))
        total += info.size();
    if (total > m_limit) {
        std::sort(entries.begin(), entries.end(),
            [](const QFileInfo &a, const QFileInfo &b) { return a.lastModified() < b.lastModified(); });
        const auto target = qint64(double(m_limit) * kEvictTo);
        for (const QFileInfo &info : std::as_const(entries)) {
            if (total <= target)
                break;
            if (QFile::remove(info.absoluteFilePath()))
                total -= info.size();
        }
    }
    m_total = total;
}

} // namespace bd
