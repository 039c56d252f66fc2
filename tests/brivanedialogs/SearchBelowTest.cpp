#include "AudioFixtures.h"
#include "HostedBrowserFixture.h"
#include "libraryindex/LibraryIndex.h"
#include "libraryindex/SearchQuery.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QScopeGuard>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// Ctrl+F with the scope "This folder and below", in a browser hosted the way
// the program hosts it, over a tree of real folders.
class SearchBelowTest : public HostedBrowserTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.loaded());
        forgetDialogState();
        for (const char *name : { "Kick 01.wav", "Drums/Kicks/BigKick_02.wav", "Drums/Snare.wav",
                 "Loops/kick loop.flac", "Loops/Pad.flac", "Loops/kick notes.txt" })
            dir.write(QString::fromLatin1(name), "x");
        parent.resize(900, 500);
        parent.show();
        records.setIntegrated(&parent, dir.path());
        window = openPrepared(3); // Drums, Loops, Kick 01.wav
        ASSERT_NE(window, nullptr);
        view = qobject_cast<QTreeView *>(detailsView(window));
        edit = window->findChild<QLineEdit *>(QStringLiteral("NameFilterEdit"));
        scope = window->findChild<QComboBox *>(QStringLiteral("FindScope"));
        status = window->findChild<QLabel *>(QStringLiteral("StatusLabel"));
        ASSERT_NE(view, nullptr);
        ASSERT_NE(edit, nullptr);
        ASSERT_NE(scope, nullptr);
        ASSERT_NE(status, nullptr);
        view->setFocus();
    }

    void TearDown() override
    {
        HostedBrowserTest::TearDown();
        forgetDialogState();
    }

    void searchBelow(const QString &query)
    {
        QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
        scope->setCurrentIndex(scope->findText(u"This folder and below"_qs));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, query);
    }

    QString foundText(int files) const
    {
        return QString::number(files) + (files == 1 ? u" file found below "_qs : u" files found below "_qs)
            + QFileInfo(dir.path()).fileName() + u", 0 selected"_qs;
    }

    // Waits until the search has finished with files results.
    bool waitForFound(int files)
    {
        return QTest::qWaitFor([&] { return status->text() == foundText(files); }, 10000);
    }

    bool searchDone() const
    {
        return status->text().contains(u" found below "_qs) && !status->text().contains(u", searching\u2026"_qs);
    }

    // Two real tones, of one and three seconds, in a folder of their own.
    void makeTones()
    {
        dir.mkdir(u"Tones"_qs);
        for (const auto &[name, seconds] : { std::pair { u"short.wav"_qs, 1 }, std::pair { u"long.wav"_qs, 3 } }) {
            const QString fixture = toneFixture(name, seconds, 48000, { u"-c:a"_qs, u"pcm_s16le"_qs });
            ASSERT_FALSE(fixture.isEmpty()) << "ffmpeg could not make " << name.toStdString();
            ASSERT_TRUE(QFile::copy(fixture, dir.filePath(u"Tones/"_qs + name)));
        }
    }

    int folderColumn() const
    {
        for (int column = 0; column < view->model()->columnCount(); ++column) {
            if (view->model()->headerData(column, Qt::Horizontal).toString() == u"Folder"_qs)
                return column;
        }
        return -1;
    }

    // Each row as "folder|name", in view order.
    QStringList rowPlaces() const
    {
        QStringList places;
        for (int row = 0; row < view->model()->rowCount(); ++row)
            places.append(view->model()->index(row, folderColumn()).data().toString() + u'|'
                + view->model()->index(row, 0).data().toString());
        return places;
    }

    QWidget *window = nullptr;
    QTreeView *view = nullptr;
    QLineEdit *edit = nullptr;
    QComboBox *scope = nullptr;
    QLabel *status = nullptr;
};

} // namespace

TEST_F(SearchBelowTest, AQueryFindsFilesInEveryFolderBelowWithTheirFolderShown)
{
    ASSERT_GE(folderColumn(), 0);
    EXPECT_TRUE(view->header()->isSectionHidden(folderColumn()));
    searchBelow(u"kick"_qs);
    ASSERT_TRUE(waitForFound(3)) << status->text().toStdString();
    EXPECT_FALSE(view->header()->isSectionHidden(folderColumn()));
    // Words by prefix, in names and folders; the text file is not audio.
    EXPECT_EQ(rowPlaces(),
        (QStringList { u"Drums/Kicks|BigKick_02.wav"_qs, u"|Kick 01.wav"_qs, u"Loops|kick loop.flac"_qs }));

    // Sortable by the folder, both ways.
    view->sortByColumn(folderColumn(), Qt::AscendingOrder);
    EXPECT_EQ(rowPlaces(),
        (QStringList { u"|Kick 01.wav"_qs, u"Drums/Kicks|BigKick_02.wav"_qs, u"Loops|kick loop.flac"_qs }));
    view->sortByColumn(folderColumn(), Qt::DescendingOrder);
    EXPECT_EQ(rowPlaces(),
        (QStringList { u"Loops|kick loop.flac"_qs, u"Drums/Kicks|BigKick_02.wav"_qs, u"|Kick 01.wav"_qs }));

    // Filters narrow the words' results; a format word is a filter.
    edit->selectAll();
    QTest::keyClicks(edit, u"kick flac"_qs);
    ASSERT_TRUE(waitForFound(1)) << status->text().toStdString();
    EXPECT_EQ(rowPlaces(), QStringList { u"Loops|kick loop.flac"_qs });
}

TEST_F(SearchBelowTest, FocusAndEnterReportTheFoundFileByItsFullPath)
{
    searchBelow(u"kick"_qs);
    ASSERT_TRUE(waitForFound(3)) << status->text().toStdString();
    view->setFocus();
    DialogHost::events().clear();
    QTest::keyClick(view, Qt::Key_Home);
    const auto focused = DialogHost::eventsWithCode(bdEventFocusChanged);
    ASSERT_EQ(focused.size(), 1u);
    EXPECT_EQ(focused.back().fileName, QDir(dir.path()).filePath(u"Drums/Kicks/BigKick_02.wav"_qs));
    QTest::keyClick(view, Qt::Key_End);
    QTest::keyClick(view, Qt::Key_Return);
    const auto activated = DialogHost::eventsWithCode(bdEventFileActivated);
    ASSERT_EQ(activated.size(), 1u);
    EXPECT_EQ(activated.back().fileName, QDir(dir.path()).filePath(u"Loops/kick loop.flac"_qs));
    // Dragged out, rows carry their full paths too.
    const std::unique_ptr<QMimeData> dragged(
        view->model()->mimeData({ view->model()->index(0, 0), view->currentIndex() }));
    ASSERT_NE(dragged, nullptr);
    EXPECT_EQ(dragged->urls(),
        (QList<QUrl> { QUrl::fromLocalFile(QDir(dir.path()).filePath(u"Drums/Kicks/BigKick_02.wav"_qs)),
            QUrl::fromLocalFile(QDir(dir.path()).filePath(u"Loops/kick loop.flac"_qs)) }));
}

TEST_F(SearchBelowTest, EscapeReturnsToTheFolderWithItsFocus)
{
    QTest::keyClick(view, Qt::Key_Down); // Drums, the first row
    QTest::keyClick(view, Qt::Key_Down);
    ASSERT_EQ(view->currentIndex().data().toString(), u"Loops"_qs);
    searchBelow(u"pad"_qs);
    ASSERT_TRUE(waitForFound(1)) << status->text().toStdString();
    DialogHost::events().clear();
    QTest::keyClick(edit, Qt::Key_Escape);
    ASSERT_TRUE(waitForRows(window, 3));
    EXPECT_EQ(rowNames(window), (QStringList { u"Drums"_qs, u"Loops"_qs, u"Kick 01.wav"_qs }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->currentIndex().data().toString() == u"Loops"_qs; }, 5000));
    EXPECT_TRUE(view->header()->isSectionHidden(folderColumn()));
    EXPECT_EQ(status->text(), u"1 audio file, 1 selected"_qs);
    EXPECT_TRUE(view->hasFocus());
    // Clearing the text does the same as Escape, and the bar stays open.
    searchBelow(u"snare"_qs);
    ASSERT_TRUE(waitForFound(1)) << status->text().toStdString();
    edit->clear();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return rowNames(window).size() == 3 && rowNames(window).contains(u"Drums"_qs); }));
    EXPECT_TRUE(edit->isVisible());
}

TEST_F(SearchBelowTest, AQueryThatCannotRunSaysWhyInTheStatusLine)
{
    for (const QString &query : { u"dur:<"_qs, u"rate:fast"_qs, u"ch:"_qs }) {
        const auto parsed = libraryindex::parseSearchQuery(query);
        ASSERT_FALSE(parsed) << query.toStdString();
        searchBelow(query);
        EXPECT_TRUE(QTest::qWaitFor([&] { return status->text() == parsed.error(); }, 5000))
            << query.toStdString() << ": " << status->text().toStdString();
    }
    // Mended, the query runs.
    edit->setText(u"snare"_qs);
    EXPECT_TRUE(waitForFound(1)) << status->text().toStdString();
}

TEST_F(SearchBelowTest, TheScopeIsRememberedForTheNextBrowser)
{
    searchBelow(u"kick"_qs);
    ASSERT_TRUE(waitForFound(3));
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    window = openPrepared(3);
    ASSERT_NE(window, nullptr);
    auto *again = window->findChild<QComboBox *>(QStringLiteral("FindScope"));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->currentText(), u"This folder and below"_qs);
    // A new browser starts on its folder, not on the last search.
    EXPECT_EQ(rowNames(window), (QStringList { u"Drums"_qs, u"Loops"_qs, u"Kick 01.wav"_qs }));
}

TEST_F(SearchBelowTest, FoundFilesGetTheirWaveformThumbnails)
{
    makeTones();
    searchBelow(u"tones"_qs); // a word of their folder
    ASSERT_TRUE(waitForFound(2)) << status->text().toStdString();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_3, Qt::ControlModifier);
    auto *thumbnails = window->findChild<QAbstractItemView *>(QStringLiteral("FileListThumbnails"));
    ASSERT_NE(thumbnails, nullptr);
    ASSERT_TRUE(thumbnails->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return thumbnails->property("readyThumbnails").toInt() >= 2; }, 10000))
        << thumbnails->property("readyThumbnails").toInt();
}

TEST_F(SearchBelowTest, DurationsTheColumnsReadLetADurationFilterFindTheirFiles)
{
    makeTones();
    // Nobody has read the files yet: a property filter cannot know them.
    searchBelow(u"dur:<2s"_qs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return searchDone(); }, 10000)) << status->text().toStdString();
    EXPECT_TRUE(status->text().startsWith(foundText(0))) << status->text().toStdString();
    EXPECT_TRUE(status->text().contains(u"not checked yet"_qs)) << status->text().toStdString();
    QTest::keyClick(edit, Qt::Key_Escape);

    // The folder shown with its Duration column: the header probe reads both.
    auto *path = window->findChild<QLineEdit *>(QStringLiteral("PathEdit"));
    ASSERT_NE(path, nullptr);
    path->setText(dir.filePath(u"Tones"_qs));
    QTest::keyClick(path, Qt::Key_Return);
    ASSERT_TRUE(waitForRows(window, 2));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return !view->model()->index(0, 4).data().toString().isEmpty()
                && !view->model()->index(1, 4).data().toString().isEmpty();
        },
        10000));
    QTest::keyClick(view, Qt::Key_Backspace);
    ASSERT_TRUE(waitForRows(window, 4));

    // What they read went to the index (written on its own thread: asked
    // again until it is there).
    view->setFocus();
    searchBelow(u"dur:<2s"_qs);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            if (status->text().startsWith(foundText(1)))
                return true;
            if (searchDone())
                QTest::keyClick(view, Qt::Key_F5);
            return false;
        },
        10000))
        << status->text().toStdString();
    EXPECT_EQ(rowPlaces(), QStringList { u"Tones|short.wav"_qs });
}

TEST_F(SearchBelowTest, WithoutAnIndexTheFoldersAreSearchedAndTheStatusLineSaysSo)
{
    // A file where the index's folder belongs: the index cannot be made.
    const QString folder = QFileInfo(libraryindex::LibraryIndex::defaultDatabasePath()).absolutePath();
    const QString kept = folder + u".kept"_qs;
    QDir().rmdir(kept);
    const bool hadFolder = QFileInfo(folder).isDir();
    ASSERT_TRUE(!hadFolder || QDir().rename(folder, kept));
    QDir().mkpath(QFileInfo(folder).absolutePath());
    {
        QFile blocker(folder);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    const auto restore = qScopeGuard([&] {
        QFile::remove(folder);
        if (hadFolder)
            QDir().rename(kept, folder);
    });

    searchBelow(u"kick"_qs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return searchDone(); }, 10000)) << status->text().toStdString();
    EXPECT_TRUE(status->text().startsWith(foundText(3))) << status->text().toStdString();
    EXPECT_TRUE(status->text().endsWith(u"searching the folders directly."_qs)) << status->text().toStdString();
    EXPECT_EQ(rowPlaces(),
        (QStringList { u"Drums/Kicks|BigKick_02.wav"_qs, u"|Kick 01.wav"_qs, u"Loops|kick loop.flac"_qs }));
}
