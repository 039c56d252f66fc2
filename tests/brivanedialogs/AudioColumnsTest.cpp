#include "AudioFixtures.h"
#include "HostedBrowserFixture.h"
#include "platform/KeyStore.h"
#include "support/PendingEvents.h"
#include "support/TempDir.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// The details view's columns, numbered as the browser shows them.
enum Column { Name = 0, Duration = 4, SampleRate, BitDepth, Channels, BitRate };
constexpr int kSortRole = Qt::UserRole + 5;

// A tone at 48 kHz (unless the options resample it), cached between runs.
QString tone(const QString &name, double seconds, const QStringList &encoding)
{
    return toneFixture(name, seconds, 48000, encoding);
}

class AudioColumnsTest : public HostedBrowserTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.loaded());
        forgetDialogState();
        parent.resize(900, 500);
        parent.show();
    }

    void TearDown() override
    {
        HostedBrowserTest::TearDown();
        forgetDialogState();
    }

    void copyInto(const QString &fixture, const QString &name)
    {
        ASSERT_FALSE(fixture.isEmpty()) << "ffmpeg could not make " << name.toStdString();
        ASSERT_TRUE(QFile::copy(fixture, dir.filePath(name)));
    }

    // Three kinds of audio and a file that only has an audio name.
    void makeMixedFolder()
    {
        copyInto(tone(u"pcm16-stereo-44k.wav"_qs, 2,
                     { u"-ar"_qs, u"44100"_qs, u"-ac"_qs, u"2"_qs, u"-c:a"_qs, u"pcm_s16le"_qs }),
            u"a.wav"_qs);
        copyInto(
            tone(u"flac24-mono-48k.flac"_qs, 10, { u"-ac"_qs, u"1"_qs, u"-sample_fmt"_qs, u"s32"_qs }), u"b.flac"_qs);
        copyInto(tone(u"mp3-mono-8k.mp3"_qs, 65, { u"-ar"_qs, u"8000"_qs, u"-ac"_qs, u"1"_qs, u"-b:a"_qs, u"32k"_qs }),
            u"c.mp3"_qs);
        dir.write(u"d.wav"_qs, QByteArray(4096, 'z'));
    }

    QTreeView *openDetails(int rows)
    {
        records.setIntegrated(&parent, dir.path());
        QWidget *window = openPrepared(rows);
        return window ? qobject_cast<QTreeView *>(detailsView(window)) : nullptr;
    }

    static QString cell(QAbstractItemView *view, int row, int column)
    {
        return view->model()->index(row, column).data().toString();
    }
    static QString cell(QAbstractItemView *view, const QString &name, int column)
    {
        const QAbstractItemModel *model = view->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (cell(view, row, Name) == name)
                return cell(view, row, column);
        }
        return u"(no row)"_qs;
    }
    // Waits until the files' rows have a duration or are known unreadable.
    static bool waitForDurations(QAbstractItemView *view, const QStringList &names)
    {
        return QTest::qWaitFor(
            [&] {
                for (const QString &name : names) {
                    if (cell(view, name, Duration).isEmpty())
                        return false;
                }
                return true;
            },
            10000);
    }
};

} // namespace

TEST_F(AudioColumnsTest, ColumnsShowWhatTheHeadersSayAndAnUnreadableFileStaysEmpty)
{
    makeMixedFolder();
    QTreeView *view = openDetails(4);
    ASSERT_NE(view, nullptr);
    QHeaderView *header = view->header();
    // Only the duration is shown on a first run; the others are one click away.
    EXPECT_FALSE(header->isSectionHidden(Duration));
    for (int column : { SampleRate, BitDepth, Channels, BitRate })
        EXPECT_TRUE(header->isSectionHidden(column)) << column;
    for (int column = SampleRate; column <= BitRate; ++column)
        header->setSectionHidden(column, false);

    ASSERT_TRUE(waitForDurations(view, { u"a.wav"_qs, u"b.flac"_qs, u"c.mp3"_qs }));
    const struct
    {
        QString name;
        QStringList cells; // duration, sample rate, bit depth, channels, bit rate
    } cases[] = {
        { u"a.wav"_qs,
            { u"0:02.00"_qs, QLocale().toString(44.1) + u" kHz"_qs, u"16-bit"_qs, u"Stereo"_qs,
                QLocale().toString(1411) + u" kbps"_qs } },
        { u"b.flac"_qs, { u"0:10.00"_qs, u"48 kHz"_qs, u"24-bit"_qs, u"Mono"_qs, cell(view, u"b.flac"_qs, BitRate) } },
        // Lossy audio has no bit depth to show.
        { u"c.mp3"_qs, { u"1:05"_qs, u"8 kHz"_qs, QString(), u"Mono"_qs, u"32 kbps"_qs } },
        { u"d.wav"_qs, { QString(), QString(), QString(), QString(), QString() } },
    };
    for (const auto &c : cases) {
        QStringList cells;
        for (int column = Duration; column <= BitRate; ++column)
            cells.append(cell(view, c.name, column));
        EXPECT_EQ(cells, c.cells) << c.name.toStdString();
    }
    EXPECT_TRUE(cell(view, u"b.flac"_qs, BitRate).endsWith(u" kbps"_qs));
}

TEST_F(AudioColumnsTest, AFileSavedOverWhileShownIsReadAgain)
{
    makeMixedFolder();
    QTreeView *view = openDetails(4);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(waitForDurations(view, { u"a.wav"_qs, u"b.flac"_qs, u"c.mp3"_qs }));
    ASSERT_EQ(cell(view, u"a.wav"_qs, Duration), u"0:02.00"_qs);

    // Written in place, as an editor saves: the row stays, its values change.
    ASSERT_TRUE(writeSpikeWav(dir.filePath(u"a.wav"_qs), 3, 1.0));
    EXPECT_TRUE(QTest::qWaitFor([&] { return cell(view, u"a.wav"_qs, Duration) == u"0:03.00"_qs; }, 10000))
        << cell(view, u"a.wav"_qs, Duration).toStdString();
    EXPECT_EQ(cell(view, u"b.flac"_qs, Duration), u"0:10.00"_qs);
}

TEST_F(AudioColumnsTest, ADurationGuessedFromTheBitRateIsShownAsAGuess)
{
    // The same three seconds at a variable bit rate: without a Xing frame
    // FFmpeg can only guess the length from the first frames' rate.
    const QStringList vbr { u"-c:a"_qs, u"libmp3lame"_qs, u"-q:a"_qs, u"2"_qs };
    const struct
    {
        QString fixture;
        QStringList options;
        bool guessed;
    } cases[] = {
        { u"vbr-without-xing.mp3"_qs, vbr + QStringList { u"-write_xing"_qs, u"0"_qs }, true },
        { u"vbr-with-xing.mp3"_qs, vbr, false },
        { u"pcm16-mono-48k.wav"_qs, { u"-c:a"_qs, u"pcm_s16le"_qs }, false },
    };
    for (const auto &c : cases)
        copyInto(tone(c.fixture, 3, c.options), c.fixture);
    QTreeView *view = openDetails(3);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(waitForDurations(view, { cases[0].fixture, cases[1].fixture, cases[2].fixture }));
    for (const auto &c : cases) {
        const QString text = cell(view, c.fixture, Duration);
        EXPECT_EQ(text.startsWith(u'~'), c.guessed) << c.fixture.toStdString() << ": " << text.toStdString();
        EXPECT_TRUE(text.contains(u"0:0"_qs)) << c.fixture.toStdString() << ": " << text.toStdString();
    }
    EXPECT_EQ(cell(view, u"pcm16-mono-48k.wav"_qs, Duration), u"0:03.00"_qs);
}

TEST_F(AudioColumnsTest, AudioColumnsSortByTheirNumbersWithUnknownValuesLast)
{
    makeMixedFolder();
    QTreeView *view = openDetails(4);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(waitForDurations(view, { u"a.wav"_qs, u"b.flac"_qs, u"c.mp3"_qs }));

    // "8 kHz" and "1411 kbps" sort after "48 kHz" and before "32 kbps" as text;
    // as numbers they do not.
    const struct
    {
        int column;
        Qt::SortOrder order;
        QStringList rows;
    } cases[] = {
        { SampleRate, Qt::AscendingOrder, { u"c.mp3"_qs, u"a.wav"_qs, u"b.flac"_qs, u"d.wav"_qs } },
        { SampleRate, Qt::DescendingOrder, { u"b.flac"_qs, u"a.wav"_qs, u"c.mp3"_qs, u"d.wav"_qs } },
        { BitRate, Qt::DescendingOrder, { u"a.wav"_qs, u"b.flac"_qs, u"c.mp3"_qs, u"d.wav"_qs } },
        { Duration, Qt::DescendingOrder, { u"c.mp3"_qs, u"b.flac"_qs, u"a.wav"_qs, u"d.wav"_qs } },
        { Duration, Qt::AscendingOrder, { u"a.wav"_qs, u"b.flac"_qs, u"c.mp3"_qs, u"d.wav"_qs } },
    };
    for (const auto &c : cases) {
        view->header()->setSortIndicator(c.column, c.order);
        EXPECT_EQ(rowNames(view->window()), c.rows) << c.column << " " << int(c.order);
    }
    // The number each row sorts by is there for anyone who sorts the rows.
    const QAbstractItemModel *model = view->model();
    EXPECT_EQ(model->index(0, Duration).data(kSortRole).toInt(), 2000);
    EXPECT_EQ(model->index(2, SampleRate).data(kSortRole).toInt(), 8000);
    EXPECT_FALSE(model->index(3, Duration).data(kSortRole).isValid());
}

TEST_F(AudioColumnsTest, OnlyRowsOnScreenAndNearAreReadUntilTheListScrolls)
{
    const QString one = tone(u"short.wav"_qs, 0.05, { u"-c:a"_qs, u"pcm_s16le"_qs });
    ASSERT_FALSE(one.isEmpty());
    constexpr int kFiles = 600;
    for (int i = 0; i < kFiles; ++i)
        ASSERT_TRUE(QFile::copy(one, dir.filePath(u"take %1.wav"_qs.arg(i, 4, 10, QLatin1Char('0')))));
    QTreeView *view = openDetails(kFiles);
    ASSERT_NE(view, nullptr);
    const int lastOnScreen = view->indexAt(QPoint(1, view->viewport()->height() - 2)).row();
    ASSERT_GT(lastOnScreen, 5);
    ASSERT_LT(lastOnScreen, 100);

    ASSERT_TRUE(QTest::qWaitFor([&] { return !cell(view, lastOnScreen, Duration).isEmpty(); }, 10000));
    // Waited for too: the listing's last batch can still blank a filled cell
    // until it is read again.
    EXPECT_TRUE(QTest::qWaitFor([&] { return cell(view, 0, Duration) == u"0:00.05"_qs; }, 10000))
        << cell(view, 0, Duration).toStdString();
    // The end of the folder is not read for a page at its top.
    EXPECT_EQ(cell(view, kFiles - 1, Duration), QString());

    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !cell(view, kFiles - 1, Duration).isEmpty(); }, 10000));
    EXPECT_EQ(cell(view, kFiles - 1, Duration), u"0:00.05"_qs);
    // Nor the middle for a page at its end.
    EXPECT_EQ(cell(view, kFiles / 2, Duration), QString());
}

TEST_F(AudioColumnsTest, SortingByDurationReadsTheWholeFolderAndMovesRowsOnceAllAreKnown)
{
    // Thirty files of each length, the longest first by name, and one file
    // that only has an audio name: a page on screen cannot give the order.
    const double lengths[] = { 0.25, 0.2, 0.15, 0.1, 0.05 };
    constexpr int kEach = 30;
    constexpr int kFiles = kEach * int(std::size(lengths));
    for (int i = 0; i < kFiles; ++i) {
        const double seconds = lengths[i / kEach];
        const QString fixture = tone(u"sort-%1.wav"_qs.arg(seconds), seconds, { u"-c:a"_qs, u"pcm_s16le"_qs });
        ASSERT_FALSE(fixture.isEmpty());
        ASSERT_TRUE(QFile::copy(fixture, dir.filePath(u"take %1.wav"_qs.arg(i, 3, 10, QLatin1Char('0')))));
    }
    dir.write(u"broken.wav"_qs, QByteArray(4096, 'z'));
    QTreeView *view = openDetails(kFiles + 1);
    ASSERT_NE(view, nullptr);
    auto *status = view->window()->findChild<QLabel *>(u"StatusLabel"_qs);
    ASSERT_NE(status, nullptr);
    const QModelIndex chosen = view->model()->index(10, Name);
    ASSERT_EQ(chosen.data().toString(), u"take 009.wav"_qs);
    view->setCurrentIndex(chosen);
    QSignalSpy layouts(view->model(), &QAbstractItemModel::layoutChanged);

    view->header()->setSortIndicator(Duration, Qt::AscendingOrder);
    EXPECT_TRUE(status->text().contains(u"reading durations… "_qs)) << status->text().toStdString();
    EXPECT_TRUE(status->text().endsWith(u" of %1"_qs.arg(kFiles + 1))) << status->text().toStdString();
    // The line may be done a moment before the rows take their final order.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !status->text().contains(u"reading"_qs) && layouts.count() >= 2; }, 30000))
        << status->text().toStdString() << ", " << layouts.count() << " reorders";
    deliverPendingEvents();
    // The click, then the final order: no rows moved while values came in.
    EXPECT_EQ(layouts.count(), 2);
    EXPECT_EQ(view->currentIndex().data().toString(), u"take 009.wav"_qs);
    const QModelIndexList selected = view->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().data().toString(), u"take 009.wav"_qs);

    for (const Qt::SortOrder order : { Qt::AscendingOrder, Qt::DescendingOrder }) {
        SCOPED_TRACE(int(order));
        view->header()->setSortIndicator(Duration, order);
        const QAbstractItemModel *model = view->model();
        std::vector<int> durations;
        for (int row = 0; row < kFiles; ++row)
            durations.push_back(model->index(row, Duration).data(kSortRole).toInt());
        if (order == Qt::DescendingOrder)
            std::reverse(durations.begin(), durations.end());
        EXPECT_TRUE(std::is_sorted(durations.begin(), durations.end()));
        EXPECT_EQ(durations.front(), 50);
        EXPECT_EQ(durations.back(), 250);
        // A file without a value is last both ways.
        EXPECT_EQ(model->index(kFiles, Name).data().toString(), u"broken.wav"_qs);
    }
}

TEST_F(AudioColumnsTest, HeaderMenuSwitchesColumnsAndTheDialogRemembersThem)
{
    makeMixedFolder();
    QTreeView *view = openDetails(4);
    ASSERT_NE(view, nullptr);
    QHeaderView *header = view->header();

    auto pick = [&](const char *actionName) {
        header->customContextMenuRequested(QPoint(5, 5));
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu || menu->objectName() != u"ColumnsMenu"_qs)
            return false;
        auto *action = menu->findChild<QAction *>(QString::fromLatin1(actionName));
        if (!action)
            return false;
        action->trigger();
        menu->close();
        return true;
    };
    auto reopen = [&] {
        browserWindow(handle)->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        DialogHost::events().clear();
        view = openDetails(4);
        header = view ? view->header() : nullptr;
        return view != nullptr;
    };

    ASSERT_TRUE(pick("ColumnBitDepth"));
    EXPECT_FALSE(header->isSectionHidden(BitDepth));
    header->resizeSection(BitDepth, 93);
    ASSERT_TRUE(waitForDurations(view, { u"b.flac"_qs }));
    EXPECT_EQ(cell(view, u"b.flac"_qs, BitDepth), u"24-bit"_qs);
    ASSERT_TRUE(pick("ColumnDuration"));
    EXPECT_TRUE(header->isSectionHidden(Duration));

    ASSERT_TRUE(reopen());
    EXPECT_TRUE(header->isSectionHidden(Duration));
    EXPECT_FALSE(header->isSectionHidden(BitDepth));
    EXPECT_EQ(header->sectionSize(BitDepth), 93);
    for (int column : { SampleRate, Channels, BitRate })
        EXPECT_TRUE(header->isSectionHidden(column)) << column;
    EXPECT_EQ(platform::KeyStore().readDword(testGuidKey(), u"Audio columns"_qs), 1u << (BitDepth - Duration));

    ASSERT_TRUE(pick("ColumnDuration"));
    ASSERT_TRUE(pick("ColumnBitDepth"));
    ASSERT_TRUE(reopen());
    EXPECT_FALSE(header->isSectionHidden(Duration));
    EXPECT_TRUE(header->isSectionHidden(BitDepth));
}
