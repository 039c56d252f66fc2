#include "WaveformDiskCache.h"

#include "support/TempDir.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using bd::WaveformDiskCache;

namespace {

constexpr int kColumns = 160;
// What one entry of kColumns holds on disk: header, peaks, checksum.
constexpr qint64 kEntryBytes = 3 * 4 + 2 * kColumns * 4 + 8;

QVector<float> peaksOf(int seed)
{
    QVector<float> peaks(2 * kColumns);
    for (int i = 0; i < peaks.size(); ++i)
        peaks[i] = float((i * 7 + seed) % 200 - 100) / 100.0f;
    return peaks;
}

// An entry name of the cache's own form for a number.
QString entryName(int n)
{
    return QString::fromLatin1(QCryptographicHash::hash(QByteArray::number(n), QCryptographicHash::Sha1).toHex())
        + QStringLiteral(".waveform");
}

int modeOf(const QString &path)
{
    struct stat info
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

// Every file below folder with its content, so a test sees any change.
QMap<QString, QByteArray> contentsOf(const QString &folder)
{
    QMap<QString, QByteArray> contents;
    const QDir dir(folder);
    for (const QFileInfo &info :
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (info.isDir() && !info.isSymLink()) {
            const auto inner = contentsOf(info.filePath());
            for (auto it = inner.begin(); it != inner.end(); ++it)
                contents.insert(info.fileName() + u'/' + it.key(), it.value());
        } else {
            contents.insert(
                info.fileName(), info.isSymLink() ? info.symLinkTarget().toUtf8() : TempDir::readAll(info.filePath()));
        }
    }
    return contents;
}

// Bytes held by the cache's own entries in folder.
qint64 ownBytes(const QString &folder)
{
    static const QRegularExpression own(QStringLiteral("^[0-9a-f]{40}\\.waveform$"));
    qint64 total = 0;
    for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
        if (own.match(info.fileName()).hasMatch() && !info.isSymLink())
            total += info.size();
    }
    return total;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void setOld(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTimeUtc().addYears(-1), QFileDevice::FileModificationTime));
}

class DiskCacheTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = qgetenv("XDG_CACHE_HOME");
        m_home = m_dir.mkdir(QStringLiteral("cache home"));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_home));
    }
    void TearDown() override { qputenv("XDG_CACHE_HOME", m_saved); }

    QString audio(const QString &name) { return m_dir.write(QStringLiteral("music/") + name, name.toUtf8()); }

    TempDir m_dir;
    QString m_home;
    QByteArray m_saved;
};

TEST_F(DiskCacheTest, EntriesComeBackAndOnlyTheUserMayReadThem)
{
    // A level left open by an earlier version is closed too.
    ASSERT_TRUE(QDir().mkpath(m_home + QStringLiteral("/brivanedialogs")));
    ASSERT_EQ(::chmod(QFile::encodeName(m_home + QStringLiteral("/brivanedialogs")).constData(), 0755), 0);
    WaveformDiskCache cache(WaveformDiskCache::defaultFolder());
    EXPECT_EQ(cache.folder(), m_home + QStringLiteral("/brivanedialogs/waveforms"));
    const QString entry = cache.entryFor(audio(QStringLiteral("a.flac")));
    ASSERT_FALSE(entry.isEmpty());
    cache.store(entry, peaksOf(1));
    QVector<float> peaks;
    ASSERT_TRUE(cache.load(entry, kColumns, peaks));
    EXPECT_EQ(peaks, peaksOf(1));
    EXPECT_EQ(modeOf(m_home + QStringLiteral("/brivanedialogs")), 0700);
    EXPECT_EQ(modeOf(cache.folder()), 0700);
    EXPECT_EQ(modeOf(entry), 0600);
    for (const QString &name : QDir(cache.folder()).entryList(QDir::Files | QDir::Hidden))
        EXPECT_EQ(modeOf(cache.folder() + u'/' + name), 0600) << name.toStdString();
}

// A cache folder that is not the cache's own: a link to the user's files at
// either level, or a level owned by another user. The disk cache is off and
// nothing in the folder changes, not even files named as entries are.
TEST_F(DiskCacheTest, AFolderNotItsOwnTurnsTheDiskCacheOffAndIsLeftAlone)
{
    const QString level1 = m_home + QStringLiteral("/brivanedialogs");
    const QString level2 = level1 + QStringLiteral("/waveforms");
    const passwd *nobody = ::getpwnam("nobody");
    const auto giveAway = [&](const QString &path) {
        ASSERT_TRUE(QDir().mkpath(path));
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid), 0);
    };
    const struct
    {
        const char *what;
        bool needsRoot;
        std::function<QString()> setUp; // returns the folder whose files must survive
    } cases[] = {
        { "the cache folder is a link", false,
            [&]() -> QString {
                const QString mine = m_dir.mkdir(QStringLiteral("my files"));
                EXPECT_TRUE(QDir().mkpath(level1));
                EXPECT_TRUE(QFile::link(mine, level2));
                return mine;
            } },
        { "its parent is a link", false,
            [&]() -> QString {
                const QString mine = m_dir.mkdir(QStringLiteral("my files"));
                EXPECT_TRUE(QDir().mkpath(mine + QStringLiteral("/waveforms")));
                EXPECT_TRUE(QFile::link(mine, level1));
                return mine + QStringLiteral("/waveforms");
            } },
        { "the cache folder is another user's", true,
            [&]() -> QString {
                giveAway(level2);
                return level2;
            } },
        { "its parent is another user's", true,
            [&]() -> QString {
                EXPECT_TRUE(QDir().mkpath(level2));
                giveAway(level1);
                return level2;
            } },
    };
    int skipped = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsRoot && (::geteuid() != 0 || !nobody)) {
            ++skipped;
            continue;
        }
        ASSERT_TRUE(QDir(m_home).removeRecursively());
        ASSERT_TRUE(QDir().mkpath(m_home));
        ASSERT_TRUE(QDir(m_dir.filePath(QStringLiteral("my files"))).removeRecursively());
        const QString kept = c.setUp();
        // Old, so an eviction would take them first.
        for (const QString &name : { QStringLiteral("song.flac"), entryName(1) }) {
            writeFile(kept + u'/' + name, name.toUtf8());
            setOld(kept + u'/' + name);
        }
        const auto before = contentsOf(kept);

        WaveformDiskCache cache(WaveformDiskCache::defaultFolder(), 1);
        EXPECT_FALSE(cache.usable());
        EXPECT_TRUE(cache.entryFor(audio(QStringLiteral("a.flac"))).isEmpty());
        cache.store(cache.folder() + u'/' + entryName(2), peaksOf(2));
        QVector<float> peaks;
        EXPECT_FALSE(cache.load(cache.folder() + u'/' + entryName(1), kColumns, peaks));
        EXPECT_EQ(contentsOf(kept), before);
    }
    if (skipped)
        GTEST_SKIP() << skipped << " cases skipped: giving a folder to nobody needs root";
}

TEST_F(DiskCacheTest, EvictionRemovesOnlyTheCachesOwnEntries)
{
    const QString folder = WaveformDiskCache::defaultFolder();
    // Files the cache never wrote, older than anything it stores; the large
    // one alone is over the cap, so a cache counting it would evict at once.
    const QStringList foreign
        = { QStringLiteral("notes.txt"), entryName(1).toUpper(), entryName(2) + QStringLiteral(".bak"),
              QStringLiteral("x") + entryName(3), QStringLiteral(".hidden"), QStringLiteral("sub/") + entryName(4) };
    for (const QString &name : foreign) {
        writeFile(folder + u'/' + name, name.toUtf8());
        setOld(folder + u'/' + name);
    }
    {
        QFile large(folder + QStringLiteral("/large.iso"));
        ASSERT_TRUE(large.open(QIODevice::WriteOnly));
        ASSERT_TRUE(large.resize(1 << 20)); // sparse: no room taken
    }
    setOld(folder + QStringLiteral("/large.iso"));
    // A link named as an entry, to a file of the user's.
    const QString linked = m_dir.write(QStringLiteral("linked.flac"), "linked");
    ASSERT_TRUE(QFile::link(linked, folder + u'/' + entryName(5)));
    const auto before = contentsOf(folder);

    constexpr qint64 kLimit = 10 * kEntryBytes;
    WaveformDiskCache cache(folder, kLimit);
    for (int n = 100; n < 130; ++n) {
        cache.store(folder + u'/' + entryName(n), peaksOf(n));
        ASSERT_LE(ownBytes(folder), kLimit) << n;
    }
    const auto after = contentsOf(folder);
    for (auto it = before.begin(); it != before.end(); ++it)
        EXPECT_EQ(after.value(it.key()), it.value()) << it.key().toStdString();
    EXPECT_EQ(TempDir::readAll(linked), QByteArray("linked"));
    // The newest entries stay, and they are whole.
    QVector<float> peaks;
    EXPECT_TRUE(cache.load(folder + u'/' + entryName(129), kColumns, peaks));
    EXPECT_EQ(peaks, peaksOf(129));
    EXPECT_FALSE(QFile::exists(folder + u'/' + entryName(100)));
}

TEST_F(DiskCacheTest, TwoCachesSharingAFolderStayUnderTheCapTogether)
{
    const QString folder = WaveformDiskCache::defaultFolder();
    constexpr qint64 kLimit = 20 * kEntryBytes;
    // Entries of an earlier run, counted before the first new one.
    WaveformDiskCache earlier(folder, kLimit);
    for (int n = 0; n < 15; ++n)
        earlier.store(folder + u'/' + entryName(n), peaksOf(n));

    WaveformDiskCache first(folder, kLimit);
    WaveformDiskCache second(folder, kLimit);
    for (int n = 100; n < 160; ++n) {
        (n % 2 ? first : second).store(folder + u'/' + entryName(n), peaksOf(n));
        ASSERT_LE(ownBytes(folder), kLimit) << n;
    }
    // Each sees what the other stored.
    QVector<float> peaks;
    EXPECT_TRUE(first.load(folder + u'/' + entryName(158), kColumns, peaks));
    EXPECT_TRUE(second.load(folder + u'/' + entryName(159), kColumns, peaks));
    EXPECT_GE(ownBytes(folder), kLimit / 2) << "evicted far more than needed";
}

} // namespace
