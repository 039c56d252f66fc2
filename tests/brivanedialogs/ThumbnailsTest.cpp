#include "AudioFixtures.h"
#include "DialogHost.h"

#include "support/TempDir.h"

#include "platform/WindowMessage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QListView>
#include <QTest>

#include <gtest/gtest.h>

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

} // namespace

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
