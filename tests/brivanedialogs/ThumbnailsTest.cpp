#include "AudioFixtures.h"
#include "DialogHost.h"
#include "platform/WindowMessage.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QListView>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace {

// Pixels of the item's picture area drawn in the waveform colour.
int waveformPixels(QListView *view, int row, const QImage &shot)
{
    const QRect item = view->visualRect(view->model()->index(row, 0));
    const QColor wave = view->palette().color(QPalette::Highlight);
    int count = 0;
    for (int y = item.top(); y <= item.bottom(); ++y) {
        for (int x = item.left(); x <= item.right(); ++x) {
            if (shot.rect().contains(x, y) && shot.pixelColor(x, y) == wave)
                ++count;
        }
    }
    return count;
}

// The embedded browser on one folder, showing thumbnails, with waveforms
// kept on disk in a folder of the test's own.
class ThumbnailsOf
{
public:
    ThumbnailsOf(DialogHost &host, const QString &folder, const QString &cacheHome)
    {
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cacheHome));
        m_parent.resize(900, 600);
        m_parent.show();
        m_records.setIntegrated(&m_parent, folder);
        m_records.additional = u"UIDPIScaling=96\r\nThumbnailsWidth=200\r\nThumbnailsHeight=60";
        m_records.params.AdditionalParameters = m_records.additional.c_str();
        if (host.openDialog(&m_records.params, &m_records.results) != 1)
            return;
        m_window = browserWindow(DialogHost::eventsWithCode(bdEventWindowCreated).back().wParam);
        if (!m_window || !waitForRows(m_window, 1))
            return;
        m_window->findChild<QAbstractButton *>(QStringLiteral("ThumbnailsViewButton"))->click();
        m_view = m_window->findChild<QListView *>(QStringLiteral("FileListThumbnails"));
    }
    ~ThumbnailsOf()
    {
        if (m_window)
            m_window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        qunsetenv("XDG_CACHE_HOME");
    }
    QListView *view() const { return m_view; }
    int ready() const { return m_view->property("readyThumbnails").toInt(); }
    int refined() const { return m_view->property("refinedThumbnails").toInt(); }

private:
    QWidget m_parent;
    HostRecords m_records;
    QWidget *m_window = nullptr;
    QListView *m_view = nullptr;
};

// Pixels in the top quarter of the row's picture that differ from its
// background: silence draws none, a peak near full scale many.
int pixelsNearTheTop(QListView *view, int row)
{
    QApplication::processEvents();
    const QImage shot = view->viewport()->grab().toImage();
    const QRect item = view->visualRect(view->model()->index(row, 0));
    const QRect area(item.x() + (item.width() - 200) / 2, item.y() + 4, 200, 60);
    const QColor background = shot.pixelColor(area.topLeft() + QPoint(1, 1));
    int count = 0;
    for (int y = area.top() + 2; y < area.top() + area.height() / 4; ++y) {
        for (int x = area.left() + 2; x < area.right() - 2; ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (std::abs(c.red() - background.red()) + std::abs(c.green() - background.green())
                    + std::abs(c.blue() - background.blue())
                > 60)
                ++count;
        }
    }
    return count;
}

QStringList cacheEntries(const QString &cacheHome)
{
    QDir dir(cacheHome + QStringLiteral("/brivanedialogs/waveforms"));
    QStringList paths;
    for (const QString &name : dir.entryList(QDir::Files))
        paths << dir.filePath(name);
    return paths;
}

} // namespace

TEST(Thumbnails, AShortSpikeBetweenSampledSpotsShowsOnceRefined)
{
    DialogHost host;
    ASSERT_TRUE(host.loaded());
    forgetDialogState();
    TempDir dir;
    TempDir cache;
    // Long enough to be sampled first; the decoder's own test shows the
    // sampled picture misses this spike.
    ASSERT_TRUE(writeSpikeWav(dir.filePath(QStringLiteral("spike.wav")), 40, 10.1));
    ThumbnailsOf shown(host, dir.path(), cache.path());
    ASSERT_NE(shown.view(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.refined() == 1; }, 20000)) << shown.refined();
    EXPECT_EQ(shown.ready(), 1);
    EXPECT_GT(pixelsNearTheTop(shown.view(), 0), 3);
    EXPECT_EQ(cacheEntries(cache.path()).size(), 1);
}

TEST(Thumbnails, AFolderSeenBeforeTakesItsWaveformsFromDisk)
{
    DialogHost host;
    ASSERT_TRUE(host.loaded());
    forgetDialogState();
    TempDir dir;
    TempDir cache;
    const QString file = dir.filePath(QStringLiteral("spike.wav"));
    ASSERT_TRUE(writeSpikeWav(file, 40, 10.1));
    {
        ThumbnailsOf first(host, dir.path(), cache.path());
        ASSERT_NE(first.view(), nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return first.refined() == 1; }, 20000));
    }
    // Same size and time, but nothing left to decode: a waveform shown now
    // can only come from the disk.
    struct stat before
    {
    };
    const QByteArray encoded = QFile::encodeName(file);
    ASSERT_EQ(::stat(encoded.constData(), &before), 0);
    {
        QFile overwrite(file);
        ASSERT_TRUE(overwrite.open(QIODevice::ReadWrite));
        ASSERT_EQ(overwrite.write(QByteArray(int(before.st_size), 'x')), before.st_size);
    }
    const timespec times[2] = { before.st_atim, before.st_mtim };
    ASSERT_EQ(::utimensat(AT_FDCWD, encoded.constData(), times, 0), 0);

    ThumbnailsOf again(host, dir.path(), cache.path());
    ASSERT_NE(again.view(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return again.ready() == 1; }, 20000));
    EXPECT_GT(pixelsNearTheTop(again.view(), 0), 3);
    EXPECT_EQ(again.refined(), 0) << "a waveform from disk is exact already";
}

TEST(Thumbnails, ADamagedEntryOnDiskIsIgnoredAndWrittenAgain)
{
    DialogHost host;
    ASSERT_TRUE(host.loaded());
    forgetDialogState();
    TempDir dir;
    TempDir cache;
    ASSERT_TRUE(writeSpikeWav(dir.filePath(QStringLiteral("spike.wav")), 40, 10.1));
    {
        ThumbnailsOf first(host, dir.path(), cache.path());
        ASSERT_NE(first.view(), nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return first.refined() == 1; }, 20000));
    }
    ASSERT_EQ(cacheEntries(cache.path()).size(), 1);
    const QString entry = cacheEntries(cache.path()).front();
    const QByteArray good = TempDir::readAll(entry);
    ASSERT_FALSE(good.isEmpty());

    struct Damage
    {
        const char *what;
        QByteArray bytes;
    };
    QByteArray flipped = good;
    flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x40);
    const Damage damages[] = {
        { "cut short", good.left(good.size() / 2) },
        { "one byte changed", flipped },
        { "empty", QByteArray() },
    };
    for (const Damage &damage : damages) {
        SCOPED_TRACE(damage.what);
        QFile out(entry);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(damage.bytes);
        out.close();
        ThumbnailsOf again(host, dir.path(), cache.path());
        ASSERT_NE(again.view(), nullptr);
        // Decoded again: the sampled picture first, then the exact one,
        // which replaces the damaged entry.
        ASSERT_TRUE(QTest::qWaitFor([&] { return again.refined() == 1; }, 20000));
        EXPECT_GT(pixelsNearTheTop(again.view(), 0), 3);
        EXPECT_EQ(TempDir::readAll(entry), good);
    }
}

TEST(Thumbnails, TheDiskCacheStaysWithinItsSizeDroppingTheOldestFirst)
{
    DialogHost host;
    ASSERT_TRUE(host.loaded());
    forgetDialogState();
    TempDir dir;
    TempDir cache;
    const QString shortFlac = audioFixture(QStringLiteral("tone-3s.flac"), 3);
    ASSERT_FALSE(shortFlac.isEmpty());
    ASSERT_TRUE(QFile::copy(shortFlac, dir.filePath(QStringLiteral("short.flac"))));
    // Earlier entries filling more than the 64 MB allowed: sparse, so they
    // take no room on the test machine.
    const QString folder = cache.path() + QStringLiteral("/brivanedialogs/waveforms");
    ASSERT_TRUE(QDir().mkpath(folder));
    constexpr qint64 kOld = 30LL << 20;
    QStringList old;
    for (int age = 3; age >= 1; --age) {
        // Named as the cache names its entries: only those are its to remove.
        QFile file(folder + u'/' + QString(40, QChar(u'0' + age)) + QStringLiteral(".waveform"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(kOld));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTimeUtc().addDays(-age), QFileDevice::FileModificationTime));
        old << file.fileName();
    }

    ThumbnailsOf shown(host, dir.path(), cache.path());
    ASSERT_NE(shown.view(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.ready() == 1; }, 20000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !QFile::exists(old.front()); }, 5000)) << "oldest entry kept";
    qint64 total = 0;
    bool newEntry = false;
    for (const QString &entry : cacheEntries(cache.path())) {
        total += QFileInfo(entry).size();
        newEntry = newEntry || !old.contains(entry);
    }
    EXPECT_LE(total, 64LL << 20);
    EXPECT_TRUE(newEntry);
    EXPECT_TRUE(QFile::exists(old.back())) << "the newest earlier entry fits";
}

TEST(Thumbnails, AudioFilesAreDrawnAsTheirWaveforms)
{
    DialogHost host;
    ASSERT_TRUE(host.loaded());
    forgetDialogState();
    const QString longMp3 = audioFixture(QStringLiteral("tone-40s.mp3"), 40); // sampled
    const QString shortFlac = audioFixture(QStringLiteral("tone-3s.flac"), 3); // decoded in full
    ASSERT_FALSE(longMp3.isEmpty());
    ASSERT_FALSE(shortFlac.isEmpty());
    TempDir dir;
    ASSERT_TRUE(QFile::copy(longMp3, dir.filePath(QStringLiteral("a long.mp3"))));
    ASSERT_TRUE(QFile::copy(shortFlac, dir.filePath(QStringLiteral("b short.flac"))));
    dir.write(QStringLiteral("c broken.mp3"), "this is not audio");
    // A named pipe never delivers data: decoding it must not hang anything.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("d pipe.mp3"))).constData(), 0644), 0);

    QWidget parent;
    parent.resize(900, 600);
    parent.show();
    HostRecords records;
    records.setIntegrated(&parent, dir.path());
    records.additional = u"UIDPIScaling=96\r\nThumbnailsWidth=200\r\nThumbnailsHeight=60";
    records.params.AdditionalParameters = records.additional.c_str();
    ASSERT_EQ(host.openDialog(&records.params, &records.results), 1);
    QWidget *window = browserWindow(DialogHost::eventsWithCode(bdEventWindowCreated).front().wParam);
    ASSERT_TRUE(waitForRows(window, 4));

    window->findChild<QAbstractButton *>(QStringLiteral("ThumbnailsViewButton"))->click();
    auto *view = window->findChild<QListView *>(QStringLiteral("FileListThumbnails"));
    ASSERT_TRUE(view->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->property("readyThumbnails").toInt() == 4; }, 20000))
        << view->property("readyThumbnails").toInt();
    EXPECT_EQ(view->visualRect(view->model()->index(0, 0)).size(), QSize(208, 60 + view->fontMetrics().height() + 12));

    QApplication::processEvents();
    const QImage shot = view->viewport()->grab().toImage();
    EXPECT_GT(waveformPixels(view, 0, shot), 1000) << "40 s mp3";
    EXPECT_GT(waveformPixels(view, 1, shot), 1000) << "3 s flac";
    EXPECT_EQ(waveformPixels(view, 2, shot), 0) << "undecodable file";
    EXPECT_EQ(waveformPixels(view, 3, shot), 0) << "named pipe";

    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    forgetDialogState();
}
