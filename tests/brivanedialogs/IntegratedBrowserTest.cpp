#include "HostedBrowserFixture.h"
#include "platform/IniDocument.h"
#include "platform/KeyStore.h"
#include "platform/WindowMessage.h"
#include "support/TempDir.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

class IntegratedBrowserTest : public HostedBrowserTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.loaded());
        dir.mkdir(QStringLiteral("Sub"));
        for (const char *name : { "track10.mp3", "Track1.MP3", "track2.mp3", "Ünïcode.flac", "notes.txt" })
            dir.write(QString::fromUtf8(name), "x");
        forgetDialogState();
        parent.resize(640, 480);
        parent.show();
    }

    // Opens the browser as the program does and waits for its first listing.
    QWidget *open(const QString &folder, int expectedRows, int dpi = 96)
    {
        records.setIntegrated(&parent, folder, dpi);
        return openPrepared(expectedRows);
    }

    QStringList reportSelection()
    {
        DialogHost::events().clear();
        platform::sendWindowMessage(handle, bdMsgReportSelection);
        const auto reports = DialogHost::eventsWithCode(bdEventSelection);
        return reports.size() == 1 ? reports.front().names : QStringList { QStringLiteral("<no single report>") };
    }

    QString path(const QString &name) const { return dir.filePath(name); }
};

} // namespace

TEST_F(IntegratedBrowserTest, ReportsItsWindowFirstAndFillsTheParent)
{
    QWidget *window = open(dir.path(), 5);
    ASSERT_NE(window, nullptr);
    const auto &events = DialogHost::events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().code, bdEventWindowCreated);
    EXPECT_EQ(events.front().lParam, std::int64_t(reinterpret_cast<std::intptr_t>(&records.params)));
    EXPECT_EQ(window->parentWidget(), &parent);
    EXPECT_EQ(window->geometry(), parent.rect());

    parent.resize(500, 300);
    platform::sendWindowMessage(handle, bdMsgRefit);
    EXPECT_EQ(window->geometry(), parent.rect());
}

TEST_F(IntegratedBrowserTest, ListsFoldersFirstThenMatchingFilesInNaturalOrder)
{
    QWidget *window = open(dir.path(), 5);
    EXPECT_EQ(rowNames(window),
        (QStringList { QStringLiteral("Sub"), QStringLiteral("Track1.MP3"), QStringLiteral("track2.mp3"),
            QStringLiteral("track10.mp3"), QStringLiteral("Ünïcode.flac") }));
    EXPECT_EQ(window->findChild<QLabel *>(QStringLiteral("StatusLabel"))->text(),
        QStringLiteral("4 audio files, 0 selected"));
}

TEST_F(IntegratedBrowserTest, FocusMovesReportFullNames)
{
    QWidget *window = open(dir.path(), 5);
    QAbstractItemView *view = detailsView(window);
    // The list having the keyboard focus is not the user choosing a row.
    parent.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
    view->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    EXPECT_TRUE(DialogHost::eventsWithCode(bdEventFocusChanged).empty());
    EXPECT_FALSE(view->currentIndex().isValid());

    for (int i = 0; i < 5; ++i)
        QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Down); // at the end: no change, no event
    QTest::keyClick(view, Qt::Key_Up);
    QStringList focused;
    for (const RecordedEvent &event : DialogHost::eventsWithCode(bdEventFocusChanged)) {
        EXPECT_EQ(event.lParam, std::int64_t(reinterpret_cast<std::intptr_t>(&records.params)));
        focused.append(event.fileName);
    }
    EXPECT_EQ(focused,
        (QStringList { path(QStringLiteral("Sub")), path(QStringLiteral("Track1.MP3")),
            path(QStringLiteral("track2.mp3")), path(QStringLiteral("track10.mp3")),
            path(QStringLiteral("Ünïcode.flac")), path(QStringLiteral("track10.mp3")) }));
}

TEST_F(IntegratedBrowserTest, AFileNamedAtOpeningIsFocusedAndReported)
{
    const TempDir elsewhere;
    const QString other = elsewhere.write(QStringLiteral("a.mp3"), "x");
    const struct
    {
        QString fileName;
        QString focused; // empty: nothing focused, nothing reported
    } cases[] = {
        { path(QStringLiteral("track2.mp3")), path(QStringLiteral("track2.mp3")) },
        { QStringLiteral("Track1.MP3"), path(QStringLiteral("Track1.MP3")) },
        { other, QString() }, // not in the folder opened
        { path(QStringLiteral("gone.mp3")), QString() }, // not there at all
    };
    for (const auto &c : cases) {
        DialogHost::events().clear();
        records.setIntegrated(&parent, dir.path());
        records.fileName = toU16(c.fileName);
        records.params.FileName = records.fileName.c_str();
        QWidget *window = openPrepared(5);
        ASSERT_NE(window, nullptr);
        QCoreApplication::processEvents();
        QStringList focused;
        for (const RecordedEvent &event : DialogHost::eventsWithCode(bdEventFocusChanged))
            focused.append(event.fileName);
        EXPECT_EQ(focused, c.focused.isEmpty() ? QStringList() : QStringList { c.focused }) << c.fileName.toStdString();
        const QModelIndex current = detailsView(window)->currentIndex();
        EXPECT_EQ(current.isValid() ? current.data().toString() : QString(),
            c.focused.isEmpty() ? QString() : QFileInfo(c.focused).fileName());
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        handle = 0;
    }
}

TEST_F(IntegratedBrowserTest, SelectionOfTwoFilesAndAFolderReportsThreeNamesInOrder)
{
    QWidget *window = open(dir.path(), 5);
    QAbstractItemView *view = detailsView(window);
    QTest::keyClick(view, Qt::Key_Home);
    QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);

    DialogHost::events().clear();
    const std::size_t before = DialogHost::events().size();
    EXPECT_EQ(platform::sendWindowMessage(handle, bdMsgReportSelection), 1);
    // Answered inside the message: the report and its release are already here.
    const auto &events = DialogHost::events();
    ASSERT_EQ(events.size(), before + 2);
    const RecordedEvent &report = events[before];
    EXPECT_EQ(report.code, bdEventSelection);
    EXPECT_EQ(report.fileCount, 3u);
    EXPECT_EQ(report.names,
        (QStringList {
            path(QStringLiteral("Sub")), path(QStringLiteral("Track1.MP3")), path(QStringLiteral("track2.mp3")) }));
    EXPECT_TRUE(report.fileNameNull);
    EXPECT_EQ(events[before + 1].code, bdEventFreeResults);
    EXPECT_EQ(events[before + 1].wParam, report.wParam);
    EXPECT_EQ(events[before + 1].freed, 1);
    EXPECT_EQ(host.freeDialogResults(reinterpret_cast<TOpenDialogResults *>(report.wParam)), 0)
        << "a second free of the same record is refused";
}

TEST_F(IntegratedBrowserTest, SingleAndEmptySelections)
{
    QWidget *window = open(dir.path(), 5);
    QAbstractItemView *view = detailsView(window);

    QTest::keyClick(view, Qt::Key_Home); // from no current row, any move lands on the first
    QTest::keyClick(view, Qt::Key_End);
    DialogHost::events().clear();
    platform::sendWindowMessage(handle, bdMsgReportSelection);
    auto reports = DialogHost::eventsWithCode(bdEventSelection);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].fileCount, 1u);
    EXPECT_EQ(reports[0].fileName, path(QStringLiteral("Ünïcode.flac")));
    EXPECT_EQ(reports[0].names, QStringList { path(QStringLiteral("Ünïcode.flac")) });

    view->selectionModel()->clearSelection();
    DialogHost::events().clear();
    platform::sendWindowMessage(handle, bdMsgReportSelection);
    reports = DialogHost::eventsWithCode(bdEventSelection);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].fileCount, 0u);
    EXPECT_FALSE(reports[0].fileNamesNull);
    EXPECT_TRUE(reports[0].names.isEmpty());
}

TEST_F(IntegratedBrowserTest, PathBarFocusIsReportedForTyping)
{
    QWidget *window = open(dir.path(), 5);
    parent.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
    auto *pathEdit = window->findChild<QLineEdit *>(QStringLiteral("PathEdit"));
    ASSERT_NE(pathEdit, nullptr);

    auto states = [] {
        std::vector<std::uint64_t> values;
        for (const RecordedEvent &event : DialogHost::eventsWithCode(bdEventTextFocus))
            values.push_back(event.wParam);
        return values;
    };
    detailsView(window)->setFocus(Qt::MouseFocusReason);
    DialogHost::events().clear();
    pathEdit->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(QTest::qWaitFor([&] { return states().size() == 1; }, 2000));
    detailsView(window)->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(QTest::qWaitFor([&] { return states().size() == 2; }, 2000));
    EXPECT_EQ(states(), (std::vector<std::uint64_t> { 1, 0 }));
}

TEST_F(IntegratedBrowserTest, ViewsSwitchByKeyboardAndKeepTheFocusedRow)
{
    QWidget *window = open(dir.path(), 5);
    parent.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
    QAbstractItemView *details = detailsView(window);
    details->setFocus();
    QTest::keyClick(details, Qt::Key_Home);
    QTest::keyClick(details, Qt::Key_Down); // Track1.MP3
    const struct
    {
        Qt::Key key;
        const char *visible;
    } cases[]
        = { { Qt::Key_3, "FileListThumbnails" }, { Qt::Key_2, "FileListList" }, { Qt::Key_1, "FileListDetails" } };
    for (const auto &c : cases) {
        QTest::keyClick(QApplication::focusWidget(), c.key, Qt::ControlModifier);
        auto *view = window->findChild<QAbstractItemView *>(QString::fromLatin1(c.visible));
        EXPECT_TRUE(view->isVisible()) << c.visible;
        EXPECT_EQ(view->currentIndex().data().toString(), QStringLiteral("Track1.MP3")) << c.visible;
    }
}

TEST_F(IntegratedBrowserTest, PanelMessagesSwitchTheLeftPanel)
{
    QWidget *window = open(dir.path(), 5);
    auto *places = window->findChild<QTreeWidget *>(QStringLiteral("PlacesView"));
    ASSERT_NE(places, nullptr);
    EXPECT_TRUE(places->isVisible());

    EXPECT_EQ(platform::sendWindowMessage(handle, bdMsgPanelTree), 1);
    auto *tree = window->findChild<QTreeView *>(QStringLiteral("FolderTree"));
    ASSERT_NE(tree, nullptr);
    EXPECT_TRUE(tree->isVisible());
    EXPECT_FALSE(places->isVisible());

    EXPECT_EQ(platform::sendWindowMessage(handle, bdMsgPanelLocations), 1);
    EXPECT_TRUE(places->isVisible());
    EXPECT_FALSE(tree->isVisible());
    // Repeating a message is harmless.
    EXPECT_EQ(platform::sendWindowMessage(handle, bdMsgPanelLocations), 1);
    EXPECT_TRUE(places->isVisible());
}

TEST_F(IntegratedBrowserTest, EnterOpensFolderAndCloseRemembersIt)
{
    QWidget *window = open(dir.path(), 5);
    QAbstractItemView *view = detailsView(window);
    QTest::keyClick(view, Qt::Key_Home);
    QTest::keyClick(view, Qt::Key_Return);
    auto *pathEdit = window->findChild<QLineEdit *>(QStringLiteral("PathEdit"));
    EXPECT_EQ(pathEdit->text(), path(QStringLiteral("Sub")));

    QPointer<QWidget> alive(window);
    platform::sendWindowMessage(handle, bdMsgClose);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
    const platform::KeyStore store;
    EXPECT_EQ(store.readString(testGuidKey(), QStringLiteral("Folder")).value_or(QString()),
        path(QStringLiteral("Sub")) + u'/');
    EXPECT_EQ(store.readDword(testGuidKey(), QStringLiteral("Filter index")).value_or(99), 0u);

    // The next browser without an initial folder opens where this one closed.
    DialogHost::events().clear();
    QWidget *next = open(QString(), 0);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->findChild<QLineEdit *>(QStringLiteral("PathEdit"))->text(), path(QStringLiteral("Sub")));
}

// Opening a file (Enter, double-click) is reported to the host with its full
// name, once per opening; a folder opens in the browser and is not reported.
TEST_F(IntegratedBrowserTest, OpeningAFileIsReportedWithItsName)
{
    QWidget *window = open(dir.path(), 5);
    QAbstractItemView *view = detailsView(window);
    QTest::keyClick(view, Qt::Key_Home);
    QTest::keyClick(view, Qt::Key_Down); // Track1.MP3
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClick(view, Qt::Key_Return);
    const QModelIndex third = view->model()->index(2, 0); // track2.mp3
    // A double-click is a press and release, then the second press as a double-click.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(third).center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(third).center());
    QStringList opened;
    for (const RecordedEvent &event : DialogHost::eventsWithCode(bdEventFileActivated)) {
        EXPECT_EQ(event.lParam, std::int64_t(reinterpret_cast<std::intptr_t>(&records.params)));
        opened.append(event.fileName);
    }
    EXPECT_EQ(opened,
        (QStringList { path(QStringLiteral("Track1.MP3")), path(QStringLiteral("Track1.MP3")),
            path(QStringLiteral("track2.mp3")) }));

    DialogHost::events().clear();
    QTest::keyClick(view, Qt::Key_Home); // Sub
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("PathEdit"))->text(), path(QStringLiteral("Sub")));
    EXPECT_TRUE(DialogHost::eventsWithCode(bdEventFileActivated).empty());
}

// A folder name can hold a line break and a whole section header. Such a
// folder is not remembered (its name cannot be stored as it is), and the
// other values of the dialog still land in the dialog's own key.
TEST_F(IntegratedBrowserTest, FolderWithALineBreakIsNotRememberedAndInjectsNothing)
{
    QWidget *first = open(dir.path(), 5);
    ASSERT_NE(first, nullptr);
    platform::sendWindowMessage(handle, bdMsgClose);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    platform::KeyStore store;
    const QString remembered = dir.path() + u'/';
    ASSERT_EQ(store.readString(testGuidKey(), QStringLiteral("Folder")).value_or(QString()), remembered);
    ASSERT_TRUE(store.writeDword(testGuidKey(), QStringLiteral("Filter index"), 7));

    const QString evil
        = dir.mkdir(QStringLiteral("evil\n[Software\\Tarvex\\Brivane Dialogs\\Settings]\r\nShow hidden files=1"));
    QFile::copy(path(QStringLiteral("track2.mp3")), evil + QStringLiteral("/inside.mp3"));
    DialogHost::events().clear();
    QWidget *window = open(evil, 1);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("PathEdit"))->text(), evil);
    platform::sendWindowMessage(handle, bdMsgClose);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_EQ(store.readString(testGuidKey(), QStringLiteral("Folder")).value_or(QString()), remembered);
    EXPECT_EQ(store.readDword(testGuidKey(), QStringLiteral("Filter index")).value_or(99), 0u);
    const QString libraryKey = QStringLiteral("Software\\Tarvex\\Brivane Dialogs\\Settings");
    EXPECT_FALSE(store.readString(libraryKey, QStringLiteral("Show hidden files")).has_value());
    const platform::IniDocument doc = platform::IniDocument::load(platform::KeyStore::defaultPath());
    for (const QString &section : doc.sections())
        EXPECT_FALSE(section.contains(QStringLiteral("evil"))) << section.toStdString();
    for (const QString &key : doc.keys(testGuidKey()))
        EXPECT_FALSE(key.contains(QStringLiteral("Show hidden"))) << key.toStdString();
}

TEST_F(IntegratedBrowserTest, BackspaceGoesUpAndHistoryWalksBothWays)
{
    QWidget *window = open(dir.path(), 5);
    QAbstractItemView *view = detailsView(window);
    auto *pathEdit = window->findChild<QLineEdit *>(QStringLiteral("PathEdit"));
    QTest::keyClick(view, Qt::Key_Home);
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_EQ(pathEdit->text(), path(QStringLiteral("Sub")));
    ASSERT_TRUE(waitForRows(window, 0));

    QTest::keyClick(detailsView(window), Qt::Key_Backspace);
    EXPECT_EQ(pathEdit->text(), dir.path());
    ASSERT_TRUE(waitForRows(window, 5));
    // Going up focuses the folder we came from.
    EXPECT_EQ(detailsView(window)->currentIndex().data().toString(), QStringLiteral("Sub"));

    QTest::keyClick(detailsView(window), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(pathEdit->text(), path(QStringLiteral("Sub")));
    QTest::keyClick(detailsView(window), Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(pathEdit->text(), dir.path());

    // A double click opens a folder too.
    ASSERT_TRUE(waitForRows(window, 5));
    QAbstractItemView *list = detailsView(window);
    const QPoint sub = list->visualRect(list->model()->index(0, 0)).center();
    // As the window system sends it: a click, then the second press as a double click.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, sub);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, sub);
    EXPECT_EQ(pathEdit->text(), path(QStringLiteral("Sub")));
}

TEST_F(IntegratedBrowserTest, BadPathIsSaidInlineAndNothingMoves)
{
    QWidget *window = open(dir.path(), 5);
    auto *pathEdit = window->findChild<QLineEdit *>(QStringLiteral("PathEdit"));
    auto *error = window->findChild<QLabel *>(QStringLiteral("PathErrorLabel"));
    pathEdit->setText(path(QStringLiteral("missing")));
    QTest::keyClick(pathEdit, Qt::Key_Return);
    EXPECT_FALSE(error->isHidden());
    EXPECT_TRUE(error->text().contains(QStringLiteral("missing")));
    EXPECT_EQ(rowNames(window).size(), 5);
    QTest::keyClick(pathEdit, Qt::Key_Escape); // gives up the typed text
    EXPECT_EQ(pathEdit->text(), dir.path());
    EXPECT_TRUE(error->isHidden());

    // Typed as a user types it (with folder completion offered on the way).
    pathEdit->clear();
    QTest::keyClicks(pathEdit, path(QStringLiteral("Sub")));
    QTest::keyClick(pathEdit, Qt::Key_Return);
    EXPECT_TRUE(error->isHidden());
    EXPECT_TRUE(waitForRows(window, 0));
}

TEST_F(IntegratedBrowserTest, FollowsChangesOnDiskAndLeavesADeletedFolder)
{
    QWidget *window = open(dir.path(), 5);
    dir.write(QStringLiteral("new.wav"), "x");
    QFile::remove(path(QStringLiteral("track2.mp3")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return rowNames(window).contains(QStringLiteral("new.wav")); }, 5000));
    EXPECT_FALSE(rowNames(window).contains(QStringLiteral("track2.mp3")));

    const QString deep = dir.mkdir(QStringLiteral("Sub/Deeper"));
    dir.write(QStringLiteral("Sub/Deeper/a.mp3"), "x");
    auto *pathEdit = window->findChild<QLineEdit *>(QStringLiteral("PathEdit"));
    pathEdit->setText(deep);
    QTest::keyClick(pathEdit, Qt::Key_Return);
    ASSERT_TRUE(waitForRows(window, 1));
    ASSERT_TRUE(QDir(path(QStringLiteral("Sub"))).removeRecursively());
    EXPECT_TRUE(QTest::qWaitFor([&] { return pathEdit->text() == dir.path(); }, 5000))
        << pathEdit->text().toStdString();
}

TEST_F(IntegratedBrowserTest, NamesThatAreNotUtf8AreLeftOutWithoutHarm)
{
    const QByteArray bad = QFile::encodeName(dir.path()) + "/bad\xff\xfe.mp3";
    const int fd = ::open(bad.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    QWidget *window = open(dir.path(), 5);
    // Checked once the listing is over, so no row can come after it.
    const QLabel *status = window->findChild<QLabel *>(QStringLiteral("StatusLabel"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return status->text().contains(QStringLiteral("UTF-8"))
                && !status->text().contains(QStringLiteral("reading folder"));
        },
        5000))
        << status->text().toStdString();
    EXPECT_EQ(rowNames(window).size(), 5);
}

TEST_F(IntegratedBrowserTest, ScalesByTheExtraParametersAndIgnoresBadOnes)
{
    // The test screen has 96 DPI, which is also what a missing or bad scale
    // falls back to. Fonts are 12 px at 96 DPI; a thumbnail item is the
    // scaled thumbnail width plus 8 px of padding.
    struct Case
    {
        const char16_t *parameters;
        int fontPixels;
        int thumbnailItemWidth;
    };
    const Case cases[] = {
        { u"UIDPIScaling=96\r\nThumbnailsWidth=400\r\nThumbnailsHeight=100", 12, 408 },
        { u"UIDPIScaling=144\r\nThumbnailsWidth=400\r\nThumbnailsHeight=100", 18, 608 },
        { u"UIDPIScaling=192\r\nThumbnailsWidth=120\r\nThumbnailsHeight=40", 24, 248 },
        { nullptr, 12, 408 },
        { u"", 12, 408 },
        { u"UIDPIScaling=abc\r\nThumbnailsWidth=-3\r\nThumbnailsHeight=99999999999", 12, 408 },
        { u"noise\r\n=\r\nUIDPIScaling=\r\nuidpiscaling=120", 15, 508 },
        { u"UIDPIScaling=100000\r\nThumbnailsWidth=5", 12, 408 },
    };
    for (const Case &c : cases) {
        DialogHost::events().clear();
        records.setIntegrated(&parent, dir.path());
        records.params.AdditionalParameters = c.parameters;
        ASSERT_EQ(host.openDialog(&records.params, &records.results), 1);
        QWidget *window = browserWindow(DialogHost::eventsWithCode(bdEventWindowCreated).front().wParam);
        ASSERT_TRUE(waitForRows(window, 5));
        const QString label = c.parameters ? QString::fromUtf16(c.parameters) : QStringLiteral("(null)");
        EXPECT_EQ(detailsView(window)->font().pixelSize(), c.fontPixels) << label.toStdString();
        auto *thumbnails = window->findChild<QAbstractItemView *>(QStringLiteral("FileListThumbnails"));
        EXPECT_EQ(thumbnails->sizeHintForIndex(thumbnails->model()->index(1, 0)).width(), c.thumbnailItemWidth)
            << label.toStdString();
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Column widths are remembered at 96 DPI: a width set at 150 % comes back at
// the same size relative to the text at 100 % and 200 %, and a damaged value
// leaves the designed widths.
TEST_F(IntegratedBrowserTest, ColumnWidthsAreKeptAt96AndScaledWhereShown)
{
    enum { Name, Size, Type, Modified };
    QWidget *window = open(dir.path(), 5, 144);
    ASSERT_NE(window, nullptr);
    auto *details = qobject_cast<QTreeView *>(detailsView(window));
    ASSERT_NE(details, nullptr);
    details->header()->resizeSection(Size, 150);
    details->header()->resizeSection(Modified, 300);
    details->header()->setSortIndicator(Type, Qt::DescendingOrder);
    const int columns = details->header()->count(); // the audio columns too, hidden ones stored as 0
    platform::sendWindowMessage(handle, bdMsgClose);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    platform::KeyStore store;
    const QString widths = store.readString(testGuidKey(), QStringLiteral("Column widths")).value_or(QString());
    const QStringList stored = widths.split(u',');
    ASSERT_EQ(stored.size(), columns) << widths.toStdString();
    EXPECT_EQ(stored[Size], QStringLiteral("100"));
    EXPECT_EQ(stored[Type], QStringLiteral("90")); // the designed width, 135 px at 144
    EXPECT_EQ(stored[Modified], QStringLiteral("200"));

    struct Case
    {
        int dpi;
        int size;
        int modified;
    };
    for (const Case &c : { Case { 96, 100, 200 }, Case { 192, 200, 400 }, Case { 144, 150, 300 } }) {
        DialogHost::events().clear();
        QWidget *again = open(dir.path(), 5, c.dpi);
        ASSERT_NE(again, nullptr);
        const QHeaderView *header = qobject_cast<QTreeView *>(detailsView(again))->header();
        EXPECT_EQ(header->sectionSize(Size), c.size) << c.dpi;
        EXPECT_EQ(header->sectionSize(Modified), c.modified) << c.dpi;
        EXPECT_EQ(header->sortIndicatorSection(), int(Type)) << c.dpi;
        EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder) << c.dpi;
        platform::sendWindowMessage(handle, bdMsgClose);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(store.readString(testGuidKey(), QStringLiteral("Column widths")).value_or(QString()), widths)
        << "opening and closing at other scales changes nothing";

    for (const char *damaged : { "abc", "100,-5,90,150", "1,2,3,99999999999", "" }) {
        ASSERT_TRUE(store.writeString(testGuidKey(), QStringLiteral("Column widths"), QString::fromLatin1(damaged)));
        DialogHost::events().clear();
        QWidget *again = open(dir.path(), 5, 120);
        ASSERT_NE(again, nullptr);
        const QHeaderView *header = qobject_cast<QTreeView *>(detailsView(again))->header();
        EXPECT_EQ(header->sectionSize(Size), 100) << damaged; // 80 designed at 125 %
        EXPECT_EQ(header->sectionSize(Modified), 188) << damaged; // 150 designed
        platform::sendWindowMessage(handle, bdMsgClose);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
