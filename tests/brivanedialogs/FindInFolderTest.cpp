#include "HostedBrowserFixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// "Find in folder" in a browser hosted the way the program hosts it.
class FindInFolderTest : public HostedBrowserTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.loaded());
        forgetDialogState();
        dir.mkdir(QStringLiteral("Kicks"));
        dir.mkdir(QStringLiteral("Loops"));
        for (const char *name : { "Kick 01.wav", "kick 02.flac", "Snare.mp3", "HiHat.mp3" })
            dir.write(QString::fromLatin1(name), "x");
        parent.resize(800, 500);
        parent.show();
        records.setIntegrated(&parent, dir.path());
        window = openPrepared(6);
        ASSERT_NE(window, nullptr);
        view = detailsView(window);
        edit = window->findChild<QLineEdit *>(QStringLiteral("NameFilterEdit"));
        status = window->findChild<QLabel *>(QStringLiteral("StatusLabel"));
        ASSERT_NE(edit, nullptr);
        ASSERT_NE(status, nullptr);
        view->setFocus();
    }

    void TearDown() override
    {
        HostedBrowserTest::TearDown();
        forgetDialogState();
    }

    QWidget *bar() const { return window->findChild<QWidget *>(QStringLiteral("NameFilterBar")); }

    QWidget *window = nullptr;
    QAbstractItemView *view = nullptr;
    QLineEdit *edit = nullptr;
    QLabel *status = nullptr;
};

} // namespace

TEST_F(FindInFolderTest, CtrlFNarrowsByAnyPartOfTheNameIgnoringCaseAndEscapeClears)
{
    EXPECT_FALSE(bar()->isVisible());
    QSignalSpy resets(view->model(), &QAbstractItemModel::modelReset);
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(bar()->isVisible());
    EXPECT_TRUE(edit->hasFocus());

    const struct
    {
        QString typed;
        QStringList rows;
        QString status;
    } cases[] = {
        { u"KICK"_qs, { u"Kicks"_qs, u"Kick 01.wav"_qs, u"kick 02.flac"_qs }, u"2 of 4 audio files, 0 selected"_qs },
        { u"mp3"_qs, { u"HiHat.mp3"_qs, u"Snare.mp3"_qs }, u"2 of 4 audio files, 0 selected"_qs },
        { u"o"_qs, { u"Loops"_qs }, u"0 of 4 audio files, 0 selected"_qs },
        { u"zzz"_qs, {}, u"0 of 4 audio files, 0 selected"_qs },
    };
    for (const auto &c : cases) {
        edit->selectAll();
        QTest::keyClicks(edit, c.typed);
        EXPECT_EQ(rowNames(window), c.rows) << c.typed.toStdString();
        EXPECT_EQ(status->text(), c.status) << c.typed.toStdString();
    }
    // Nothing left says so, in the list itself.
    auto *message = window->findChild<QLabel *>(QStringLiteral("FileListMessage"));
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(message->isVisible());
    EXPECT_TRUE(message->text().contains(u"zzz"_qs));

    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_EQ(rowNames(window).size(), 6);
    EXPECT_EQ(status->text(), u"4 audio files, 0 selected"_qs);
    EXPECT_FALSE(message->isVisible());
    EXPECT_TRUE(view->hasFocus());
    // Narrowing and clearing worked on the rows at hand: the folder was not listed again.
    EXPECT_EQ(resets.count(), 0);
}

TEST_F(FindInFolderTest, TypingInTheListGoesToTheOpenBarAndEscapeInTheListClears)
{
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Down); // back to the list, bar stays
    ASSERT_TRUE(view->hasFocus());
    ASSERT_TRUE(bar()->isVisible());
    QTest::keyClicks(view, u"sn"_qs);
    EXPECT_EQ(edit->text(), u"sn"_qs);
    EXPECT_EQ(rowNames(window), QStringList { u"Snare.mp3"_qs });
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(rowNames(window).size(), 6);
    EXPECT_FALSE(bar()->isVisible());
    // With the bar closed, typing is the list's own type-ahead again.
    QTest::keyClicks(view, u"sn"_qs);
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_EQ(view->currentIndex().data().toString(), u"Snare.mp3"_qs);
}

TEST_F(FindInFolderTest, TheFocusedFileStaysFocusedWhenItStillMatches)
{
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Down); // Folders first: Kicks, Loops, then HiHat.mp3
    ASSERT_EQ(view->currentIndex().data().toString(), u"HiHat.mp3"_qs);
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(edit, u"h"_qs);
    EXPECT_EQ(view->currentIndex().data().toString(), u"HiHat.mp3"_qs);
    EXPECT_TRUE(view->selectionModel()->isSelected(view->currentIndex()));
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(view->currentIndex().data().toString(), u"HiHat.mp3"_qs);
    EXPECT_EQ(view->selectionModel()->selectedRows().size(), 1);
}

TEST_F(FindInFolderTest, FilesChangingOnDiskFollowTheFilter)
{
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(edit, u"kick"_qs);
    ASSERT_EQ(rowNames(window).size(), 3);
    dir.write(QStringLiteral("Kick 03.mp3"), "x");
    dir.write(QStringLiteral("Tom.mp3"), "x");
    ASSERT_TRUE(waitForRows(window, 4));
    EXPECT_EQ(
        rowNames(window), (QStringList { u"Kicks"_qs, u"Kick 01.wav"_qs, u"kick 02.flac"_qs, u"Kick 03.mp3"_qs }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return status->text() == u"3 of 6 audio files, 0 selected"_qs; }, 3000))
        << status->text().toStdString();
    ASSERT_TRUE(QFile::remove(dir.filePath(u"Snare.mp3"_qs)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return status->text() == u"3 of 5 audio files, 0 selected"_qs; }, 3000))
        << status->text().toStdString();
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(rowNames(window),
        (QStringList { u"Kicks"_qs, u"Loops"_qs, u"HiHat.mp3"_qs, u"Kick 01.wav"_qs, u"kick 02.flac"_qs,
            u"Kick 03.mp3"_qs, u"Tom.mp3"_qs }));
}

// A name written decomposed ("u" + U+0308, as some systems store it) and one
// written composed are both found by either spelling of the text.
TEST_F(FindInFolderTest, AccentedNamesMatchWhicheverWayTheirLettersAreWritten)
{
    const QString decomposed = u"u\u0308ber decomposed.wav"_qs;
    const QString composed = u"\u00fcber composed.flac"_qs;
    dir.write(decomposed, "x");
    dir.write(composed, "x");
    ASSERT_TRUE(waitForRows(window, 8));
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    for (const QString &typed : { u"\u00dcBER"_qs, u"u\u0308ber"_qs, u"\u00fcber c"_qs }) {
        edit->setText(typed);
        QStringList expected = { decomposed, composed };
        if (typed.endsWith(u" c"_qs))
            expected = { composed };
        QStringList shown = rowNames(window);
        std::sort(shown.begin(), shown.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(shown, expected) << typed.toStdString();
    }
}

TEST_F(FindInFolderTest, TheTextFieldTakesTheKeysFromTheHostAndAnotherFolderClearsIt)
{
    DialogHost::events().clear();
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    auto focus = DialogHost::eventsWithCode(bdEventTextFocus);
    ASSERT_FALSE(focus.empty());
    EXPECT_EQ(focus.back().wParam, 1u);
    QTest::keyClicks(edit, u"kick"_qs);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(view->hasFocus());
    focus = DialogHost::eventsWithCode(bdEventTextFocus);
    EXPECT_EQ(focus.back().wParam, 0u);
    // Into "Kicks" (the first row): a new folder starts unfiltered.
    dir.write(QStringLiteral("Kicks/Deep.wav"), "x");
    QTest::keyClick(view, Qt::Key_Home);
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_TRUE(waitForRows(window, 1));
    EXPECT_EQ(rowNames(window), QStringList { u"Deep.wav"_qs });
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_TRUE(edit->text().isEmpty());
}
