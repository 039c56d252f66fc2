#include "WaveformDiskCache.h"

#include "platform/UniqueFd.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace bd {

namespace {

constexpr quint32 kMagic = 0x42445746; // "BDWF"
constexpr quint32 kVersion = 1;
const QLatin1StringView kSuffix(".waveform");
constexpr qsizetype kHashDigits = 40; // SHA-1 in hexadecimal
// The bytes the entries hold, as decimal text. Not an entry's name, so no
// scan counts or removes it.
const char kSizeRecord[] = ".size";
// A temporary file older than this was left by a write that never ended (a
// crash); a write in progress takes milliseconds.
constexpr int kStaleTemporarySeconds = 3600;
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

// "<40 lower-case hex digits>.waveform": the only files the cache counts,
// reads or removes.
bool isEntryName(QByteArrayView name)
{
    if (name.size() != kHashDigits + kSuffix.size() || !name.endsWith(QByteArrayView(kSuffix.data(), kSuffix.size())))
        return false;
    return std::all_of(name.begin(), name.begin() + kHashDigits,
        [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// "." + entry name + ".part-" + hex digits: an entry being written.
bool isTemporaryName(QByteArrayView name)
{
    const qsizetype part = name.indexOf(QByteArrayView(".part-"));
    if (!name.startsWith('.') || part < 2 || !isEntryName(name.sliced(1, part - 1)))
        return false;
    const QByteArrayView digits = name.sliced(part + 6);
    return !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    });
}

// Missing levels of the cache home, made as the XDG base directory rules ask: 0700.
bool makeHome(const QByteArray &path)
{
    struct stat info
    {
    };
    if (::stat(path.constData(), &info) == 0)
        return S_ISDIR(info.st_mode);
    const qsizetype slash = path.lastIndexOf('/');
    if (slash > 0 && !makeHome(path.left(slash)))
        return false;
    return ::mkdir(path.constData(), 0700) == 0 || errno == EEXIST;
}

std::optional<qint64> readRecord(int fd)
{
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    if (n <= 0)
        return std::nullopt;
    bool ok = false;
    const qint64 bytes = QByteArray(text, n).toLongLong(&ok);
    return ok && bytes >= 0 ? std::optional<qint64>(bytes) : std::nullopt;
}

void writeRecord(int fd, qint64 bytes)
{
    const QByteArray text = QByteArray::number(bytes);
    if (::pwrite(fd, text.constData(), size_t(text.size()), 0) != text.size() || ::ftruncate(fd, text.size()) == 0)
        return;
    // The longer old record behind the new one would read as one larger
    // number: spoil it, so that the next writer counts the folder again.
    // Should even that fail, the record read back is what it is.
    constexpr char kSpoiledRecord = 'x';
    if (::pwrite(fd, &kSpoiledRecord, 1, 0) != 1)
        return;
}

} // namespace

WaveformDiskCache::WaveformDiskCache(const QString &folder, qint64 limitBytes)
    : m_folder(folder.isEmpty() ? QString() : QDir::cleanPath(folder))
    , m_limit(limitBytes)
{ }

WaveformDiskCache::~WaveformDiskCache() = default;

QString WaveformDiskCache::cacheHome()
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.cache");
    return QDir::cleanPath(base);
}

QString WaveformDiskCache::defaultFolder()
{
    return cacheHome() + QStringLiteral("/brivanedialogs/waveforms");
}

bool WaveformDiskCache::usable() const
{
    std::call_once(m_opened, [this] { open(); });
    return bool(m_folderFd);
}

void WaveformDiskCache::open() const
{
    if (m_folder.isEmpty())
        return;
    // The levels checked are those below the cache home; a folder elsewhere
    // has only its own level checked. The home itself is the user's to
    // place, a link to another disk included.
    const QString home = cacheHome();
    const bool inHome = m_folder.startsWith(home + u'/');
    const QString root = inHome ? home : QFileInfo(m_folder).path();
    const QString below = inHome ? m_folder.mid(home.size() + 1) : QFileInfo(m_folder).fileName();
    const QByteArray rootName = QFile::encodeName(root);
    // Only a path cleaned of ".." can be checked level by level.
    if (below.isEmpty() || below == QStringLiteral("..") || below.startsWith(QStringLiteral("../"))
        || !makeHome(rootName))
        return;
    int fd = ::open(rootName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const uid_t me = ::geteuid();
    for (const QString &level : below.split(u'/', Qt::SkipEmptyParts)) {
        if (fd < 0)
            break;
        const QByteArray name = QFile::encodeName(level);
        if (::mkdirat(fd, name.constData(), 0700) != 0 && errno != EEXIST) {
            ::close(fd);
            fd = -1;
            break;
        }
        // A symbolic link fails here (ELOOP), as does anything but a folder.
        const int next = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(fd);
        fd = next;
        struct stat info
        {
        };
        if (fd >= 0 && (::fstat(fd, &info) != 0 || info.st_uid != me)) {
            ::close(fd);
            fd = -1;
        }
        // Made 0755 by earlier versions: closed to others now.
        if (fd >= 0 && (info.st_mode & 077) != 0)
            (void)::fchmod(fd, 0700);
    }
    if (fd < 0)
        return;
    const int sizeFd = ::openat(fd, kSizeRecord, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    struct stat info
    {
    };
    if (sizeFd < 0 || ::fstat(sizeFd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != me) {
        if (sizeFd >= 0)
            ::close(sizeFd);
        ::close(fd);
        return;
    }
    m_sizeFd.reset(sizeFd);
    m_folderFd.reset(fd);
}

QString WaveformDiskCache::entryFor(const QString &path) const
{
    if (!usable())
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

namespace {

// The file name of an entry entryFor() made for this folder; empty for any other text.
QByteArray entryName(const QString &folder, const QString &entry)
{
    if (!entry.startsWith(folder + u'/'))
        return {};
    const QByteArray name = QFile::encodeName(entry.mid(folder.size() + 1));
    return isEntryName(name) ? name : QByteArray();
}

} // namespace

bool WaveformDiskCache::load(const QString &entry, int columns, QVector<float> &peaks) const
{
    const QByteArray name = entryName(m_folder, entry);
    if (name.isEmpty() || !usable())
        return false;
    const platform::UniqueFd file(
        ::openat(m_folderFd.get(), name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info
    {
    };
    const qint64 expected = 3 * 4 + qint64(2 * columns) * 4 + 8;
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size != expected)
        return false;
    QByteArray bytes(expected, Qt::Uninitialized);
    qint64 got = 0;
    while (got < expected) {
        const ssize_t n = ::read(file.get(), bytes.data() + got, size_t(expected - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        got += n;
    }
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
    const timespec times[2] = { { 0, UTIME_OMIT }, { 0, UTIME_NOW } };
    (void)::futimens(file.get(), times);
    return true;
}

void WaveformDiskCache::store(const QString &entry, const QVector<float> &peaks)
{
    const QByteArray name = entryName(m_folder, entry);
    if (name.isEmpty() || !usable())
        return;
    QByteArray bytes = payloadOf(peaks);
    const quint64 sum = checksum(bytes);
    QDataStream tail(&bytes, QIODevice::Append);
    tail.setByteOrder(QDataStream::LittleEndian);
    tail << sum;
    // Written beside and renamed into place: a reader never sees half an
    // entry, and a crash leaves none.
    const QByteArray temporary = '.' + name + ".part-" + QByteArray::number(QRandomGenerator::global()->generate(), 16);
    {
        const platform::UniqueFd file(::openat(
            m_folderFd.get(), temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (file.get() < 0)
            return;
        qint64 written = 0;
        while (written < bytes.size()) {
            const ssize_t n = ::write(file.get(), bytes.constData() + written, size_t(bytes.size() - written));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            written += n;
        }
        if (written != bytes.size()) {
            ::unlinkat(m_folderFd.get(), temporary.constData(), 0);
            return;
        }
    }
    struct stat replaced
    {
    };
    const bool replacing = ::fstatat(m_folderFd.get(), name.constData(), &replaced, AT_SYMLINK_NOFOLLOW) == 0;
    if (::renameat(m_folderFd.get(), temporary.constData(), m_folderFd.get(), name.constData()) != 0) {
        ::unlinkat(m_folderFd.get(), temporary.constData(), 0);
        return;
    }
    const qint64 added = bytes.size() - (replacing ? qint64(replaced.st_size) : 0);

    // The record is shared with every process using the folder: read,
    // changed and written back under its lock, so the cap holds for all of
    // them together. Without a record (the first use, or removed) the
    // folder is counted.
    QMutexLocker lock(&m_mutex);
    while (::flock(m_sizeFd.get(), LOCK_EX) != 0) {
        if (errno != EINTR)
            return;
    }
    const std::optional<qint64> recorded = readRecord(m_sizeFd.get());
    qint64 total = recorded ? *recorded + added : -1;
    if (total < 0 || total > m_limit)
        total = scanAndEvict(m_limit);
    writeRecord(m_sizeFd.get(), total);
    ::flock(m_sizeFd.get(), LOCK_UN);
}

qint64 WaveformDiskCache::scanAndEvict(qint64 limit)
{
    const int listFd = ::openat(m_folderFd.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const platform::UniqueDir dir(listFd >= 0 ? ::fdopendir(listFd) : nullptr);
    if (!dir) {
        if (listFd >= 0)
            ::close(listFd);
        return 0;
    }
    struct Entry
    {
        QByteArray name;
        qint64 size;
        timespec modified;
    };
    std::vector<Entry> entries;
    qint64 total = 0;
    const time_t now = ::time(nullptr);
    while (const dirent *item = ::readdir(dir.get())) {
        const QByteArrayView name(item->d_name);
        const bool entry = isEntryName(name);
        if (!entry && !isTemporaryName(name))
            continue;
        struct stat info
        {
        };
        if (::fstatat(m_folderFd.get(), item->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode))
            continue;
        if (!entry) {
            if (now - info.st_mtim.tv_sec > kStaleTemporarySeconds)
                ::unlinkat(m_folderFd.get(), item->d_name, 0);
            continue;
        }
        entries.push_back({ name.toByteArray(), qint64(info.st_size), info.st_mtim });
        total += info.st_size;
    }
    if (total <= limit)
        return total;
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.modified.tv_sec != b.modified.tv_sec ? a.modified.tv_sec < b.modified.tv_sec
                                                      : a.modified.tv_nsec < b.modified.tv_nsec;
    });
    const auto target = qint64(double(limit) * kEvictTo);
    for (const Entry &entry : entries) {
        if (total <= target)
            break;
        if (::unlinkat(m_folderFd.get(), entry.name.constData(), 0) == 0 || errno == ENOENT)
            total -= entry.size;
    }
    return total;
}

} // namespace bd
