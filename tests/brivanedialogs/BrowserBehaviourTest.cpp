#include "HostedBrowserFixture.h"
#include "platform/KeyStore.h"
#include "platform/WindowMessage.h"
#include "support/AsNobody.h"
#include "support/PendingEvents.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSet>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A browser in a host window over a small folder, for behaviour beyond the
// events: sorting, refresh, drag data, filters, remembered places.
class BrowserBehaviourTest : public HostedBrowserTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.loaded());
        forgetDialogState();
        dir.mkdir(QStringLiteral("Folder B"));
        dir.mkdir(QStringLiteral("folder a"));
        dir.write(QStringLiteral("big.mp3"), QByteArray(3000, 'x'));
        dir.write(QStringLiteral("small.wav"), QByteArray(10, 'x'));
        dir.write(QStringLiteral("middle.flac"), QByteArray(500, 'x'));
        dir.write(QStringLiteral("cover.jpg"), "x");
        parent.resize(800, 500);
        parent.show();
    }

    void TearDown() override
    {
        HostedBrowserTest::TearDown();
        forgetDialogState();
    }

    QWidget *open(const QString &folder, int rows, const char16_t *filters = nullptr)
    {
        records.setIntegrated(&parent, folder);
        if (filters) {
            records.filters = filters;
            records.params.Filters = records.filters.c_str();
        }
        return openPrepared(rows);
    }

    // Visits "folder a", then "Folder B", through the path bar; returns the
    // places view's group of recent folders (null without one).
    QTreeWidgetItem *visitTwoFolders(QWidget *window)
    {
        auto *pathEdit = window->findChild<QLineEdit *>(QStringLiteral("PathEdit"));
        for (const QString &name : { u"folder a"_qs, u"Folder B"_qs }) {
            pathEdit->setText(dir.filePath(name));
            QTest::keyClick(pathEdit, Qt::Key_Return);
        }
        auto *places = window->findChild<QTreeWidget *>(QStringLiteral("PlacesView"));
        for (int i = 0; i < places->topLevelItemCount(); ++i) {
            if (places->topLevelItem(i)->text(0) == u"Recent folders")
                return places->topLevelItem(i);
        }
        return nullptr;
    }
};

} // namespace

TEST_F(BrowserBehaviourTest, ColumnsSortWithFoldersAlwaysFirst)
{
    QWidget *window = open(dir.path(), 5);
    auto *view = qobject_cast<QTreeView *>(detailsView(window));
    ASSERT_NE(view, nullptr);
    const struct
    {
        int column;
        Qt::SortOrder order;
        QStringList expected;
    } cases[] = {
        { 0, Qt::AscendingOrder,
            { u"folder a"_qs, u"Folder B"_qs, u"big.mp3"_qs, u"middle.flac"_qs, u"small.wav"_qs } },
        { 0, Qt::DescendingOrder,
            { u"Folder B"_qs, u"folder a"_qs, u"small.wav"_qs, u"middle.flac"_qs, u"big.mp3"_qs } },
        { 1, Qt::AscendingOrder,
            { u"folder a"_qs, u"Folder B"_qs, u"small.wav"_qs, u"middle.flac"_qs, u"big.mp3"_qs } },
        { 1, Qt::DescendingOrder,
            { u"Folder B"_qs, u"folder a"_qs, u"big.mp3"_qs, u"middle.flac"_qs, u"small.wav"_qs } },
        { 2, Qt::AscendingOrder,
            { u"folder a"_qs, u"Folder B"_qs, u"middle.flac"_qs, u"big.mp3"_qs, u"small.wav"_qs } },
    };
    for (const auto &c : cases) {
        view->header()->setSortIndicator(c.column, c.order);
        EXPECT_EQ(rowNames(window), c.expected) << "column " << c.column << " order " << int(c.order);
    }
}

TEST_F(BrowserBehaviourTest, RefreshKeepsSelectionAndFocusOfRowsThatStayed)
{
    QWidget *window = open(dir.path(), 5);
    QAbstractItemView *view = detailsView(window);
    QTest::keyClick(view, Qt::Key_Home);
    QTest::keyClick(view, Qt::Key_End);
    QTest::keyClick(view, Qt::Key_Up, Qt::ShiftModifier); // middle.flac and small.wav
    dir.write(QStringLiteral("aaa.mp3"), "x"); // sorts before both
    QFile::remove(dir.filePath(QStringLiteral("big.mp3")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowNames(window).contains(QStringLiteral("aaa.mp3")); }, 5000));
    EXPECT_FALSE(rowNames(window).contains(QStringLiteral("big.mp3")));
    EXPECT_EQ(view->currentIndex().data().toString(), QStringLiteral("middle.flac"));

    DialogHost::events().clear();
    platform::sendWindowMessage(handle, bdMsgReportSelection);
    const auto reports = DialogHost::eventsWithCode(bdEventSelection);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].names,
        (QStringList { dir.filePath(QStringLiteral("middle.flac")), dir.filePath(QStringLiteral("small.wav")) }));
}

TEST_F(BrowserBehaviourTest, FocusedFileDeletedWhileShownLeavesTheFocusAtItsNeighbour)
{
    QWidget *window = open(dir.path(), 5);
    QAbstractItemView *view = detailsView(window);
    // The rows: folder a, Folder B, big.mp3, middle.flac, small.wav. The
    // focus goes to the next row, or to the previous one from the last.
    const struct
    {
        QString deleted;
        QString neighbour;
        Qt::Key key;
        QString reached;
    } cases[] = {
        { u"big.mp3"_qs, u"middle.flac"_qs, Qt::Key_Down, u"small.wav"_qs },
        { u"small.wav"_qs, u"middle.flac"_qs, Qt::Key_Up, u"big.mp3"_qs },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.deleted.toStdString());
        const QModelIndexList found
            = view->model()->match(view->model()->index(0, 0), Qt::DisplayRole, c.deleted, 1, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        view->setCurrentIndex(found.first());
        DialogHost::events().clear();
        ASSERT_TRUE(QFile::remove(dir.filePath(c.deleted)));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !rowNames(window).contains(c.deleted); }, 5000));
        deliverPendingEvents();
        // The row the focus stays on is nobody's choice: not selected and
        // not reported (the host would show and play it).
        EXPECT_EQ(view->currentIndex().data().toString(), c.neighbour);
        EXPECT_FALSE(view->selectionModel()->isSelected(view->currentIndex()));
        EXPECT_TRUE(DialogHost::eventsWithCode(bdEventFocusChanged).empty());

        // The user's next key goes on from there and is reported as usual.
        QTest::keyClick(view, c.key);
        const auto focused = DialogHost::eventsWithCode(bdEventFocusChanged);
        ASSERT_EQ(focused.size(), 1u);
        EXPECT_EQ(focused[0].fileName, dir.filePath(c.reached));

        dir.write(c.deleted, "x"); // back for the next case
        ASSERT_TRUE(QTest::qWaitFor([&] { return rowNames(window).contains(c.deleted); }, 5000));
    }
}

TEST_F(BrowserBehaviourTest, DraggedItemsAreFileUrlsInListOrder)
{
    QWidget *window = open(dir.path(), 5);
    QAbstractItemView *view = detailsView(window);
    QTest::keyClick(view, Qt::Key_Home);
    QTest::keyClick(view, Qt::Key_End, Qt::ShiftModifier);
    const QModelIndexList selected = view->selectionModel()->selectedIndexes();
    std::unique_ptr<QMimeData> mime(view->model()->mimeData(selected));
    ASSERT_NE(mime, nullptr);
    QStringList paths;
    for (const QUrl &url : mime->urls())
        paths.append(url.toLocalFile());
    EXPECT_EQ(paths,
        (QStringList { dir.filePath(u"folder a"_qs), dir.filePath(u"Folder B"_qs), dir.filePath(u"big.mp3"_qs),
            dir.filePath(u"middle.flac"_qs), dir.filePath(u"small.wav"_qs) }));
    EXPECT_TRUE(view->model()->flags(selected.first()).testFlag(Qt::ItemIsDragEnabled));
}

TEST_F(BrowserBehaviourTest, FilterBoxChoosesAmongTheFiltersAndIsRemembered)
{
    QWidget *window = open(dir.path(), 5, u"Audio|*.MP3;*.wav;*.flac|Pictures|*.jpg|Everything|*.*");
    auto *filter = window->findChild<QComboBox *>(QStringLiteral("FilterBox"));
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(filter->count(), 3);
    filter->setCurrentIndex(1);
    ASSERT_TRUE(waitForRows(window, 3));
    EXPECT_EQ(rowNames(window).last(), QStringLiteral("cover.jpg"));
    filter->setCurrentIndex(2);
    ASSERT_TRUE(waitForRows(window, 6));

    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(platform::KeyStore().readDword(testGuidKey(), QStringLiteral("Filter index")).value_or(0), 2u);
    window = open(dir.path(), 6, u"Audio|*.MP3;*.wav;*.flac|Pictures|*.jpg|Everything|*.*");
    EXPECT_EQ(window->findChild<QComboBox *>(QStringLiteral("FilterBox"))->currentIndex(), 2);
}

TEST_F(BrowserBehaviourTest, RecentFoldersAreNewestFirstAndKept)
{
    QWidget *window = open(dir.path(), 5);
    QTreeWidgetItem *recent = visitTwoFolders(window);
    auto *pathEdit = window->findChild<QLineEdit *>(QStringLiteral("PathEdit"));
    auto *places = window->findChild<QTreeWidget *>(QStringLiteral("PlacesView"));
    ASSERT_NE(recent, nullptr);
    ASSERT_GE(recent->childCount(), 3);
    EXPECT_EQ(recent->child(0)->text(0), QStringLiteral("Folder B"));
    EXPECT_EQ(recent->child(1)->text(0), QStringLiteral("folder a"));

    // Clicking a recent folder opens it.
    places->itemClicked(recent->child(1), 0);
    EXPECT_EQ(pathEdit->text(), dir.filePath(u"folder a"_qs));

    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const platform::KeyStore store;
    const QString key = QStringLiteral("Software\\Tarvex\\Brivane Dialogs\\Recent folders");
    EXPECT_EQ(store.readString(key, QStringLiteral("Folder1")).value_or(QString()), dir.filePath(u"folder a"_qs));
    EXPECT_EQ(store.readString(key, QStringLiteral("Folder2")).value_or(QString()), dir.filePath(u"Folder B"_qs));
}

TEST_F(BrowserBehaviourTest, RecentFolderOpenedFromTheKeyboardKeepsTheFocusAtTheTop)
{
    QWidget *window = open(dir.path(), 5);
    QTreeWidgetItem *recent = visitTwoFolders(window);
    auto *pathEdit = window->findChild<QLineEdit *>(QStringLiteral("PathEdit"));
    auto *places = window->findChild<QTreeWidget *>(QStringLiteral("PlacesView"));
    ASSERT_NE(recent, nullptr);
    ASSERT_EQ(recent, places->topLevelItem(places->topLevelItemCount() - 1));
    ASSERT_EQ(recent->child(1)->text(0), QStringLiteral("folder a"));
    places->setFocus();
    places->setCurrentItem(recent->child(1));
    QTest::keyClick(places, Qt::Key_Return);
    ASSERT_EQ(pathEdit->text(), dir.filePath(u"folder a"_qs));

    // The list moved the folder to the top, and the focus went with it.
    EXPECT_EQ(recent->child(0)->text(0), QStringLiteral("folder a"));
    EXPECT_EQ(recent->child(1)->text(0), QStringLiteral("Folder B"));
    ASSERT_NE(places->currentItem(), nullptr);
    EXPECT_EQ(places->currentItem()->toolTip(0), dir.filePath(u"folder a"_qs));
    EXPECT_EQ(places->currentItem(), recent->child(0));
}

TEST_F(BrowserBehaviourTest, RightClickOnTheHeaderOffersBothPanelModes)
{
    QWidget *window = open(dir.path(), 5);
    auto *header = window->findChild<QLabel *>(QStringLiteral("LocationsHeader"));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->text(), QStringLiteral("Locations"));
    header->customContextMenuRequested(QPoint(5, 5));
    auto *menu = window->findChild<QMenu *>(QStringLiteral("LocationsModeMenu"));
    ASSERT_NE(menu, nullptr);
    // Adding the folder shown to the places, then the two modes.
    QStringList texts;
    for (QAction *action : menu->actions())
        texts.append(action->text());
    EXPECT_EQ(texts,
        (QStringList { u"&Add current folder to places"_qs, QString(), u"Drives, locations and recent folders"_qs,
            u"Folder tree"_qs }));
    menu->findChild<QAction *>(u"ActionPanelTree"_qs)->trigger();
    menu->close();
    auto *tree = window->findChild<QTreeView *>(QStringLiteral("FolderTree"));
    ASSERT_NE(tree, nullptr);
    EXPECT_TRUE(tree->isVisible());
    // The tree follows the folder shown (its folders are read in the background).
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return QDir::cleanPath(tree->currentIndex().data(Qt::UserRole + 1).toString()) == dir.path(); }, 5000))
        << tree->currentIndex().data(Qt::UserRole + 1).toString().toStdString();
}

TEST_F(BrowserBehaviourTest, UnreadableFolderIsSaidInTheList)
{
    if (::geteuid() == 0) {
        // Root reads every folder; only an unprivileged user sees the refusal.
        const NobodyRun run = runAsNobody(QStringLiteral("BrowserBehaviourTest.UnreadableFolderIsSaidInTheList"));
        if (!run.ran)
            GTEST_SKIP() << run.skipReason.toStdString();
        EXPECT_TRUE(run.passed()) << run.output.toStdString();
        return;
    }
    const QString locked = dir.mkdir(QStringLiteral("locked"));
    dir.write(QStringLiteral("locked/hidden.mp3"), "x");
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
    QWidget *window = open(locked, 0);
    ASSERT_NE(window, nullptr);
    auto *message = window->findChild<QLabel *>(QStringLiteral("FileListMessage"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !message->isHidden(); }, 5000));
    EXPECT_TRUE(message->text().startsWith(QStringLiteral("This folder cannot be read")))
        << message->text().toStdString();
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("PathEdit"))->text(), locked);
    ::chmod(QFile::encodeName(locked).constData(), 0755);
}

TEST_F(BrowserBehaviourTest, LibrarySettingsApplyToTheNextBrowser)
{
    dir.write(QStringLiteral(".hidden take.mp3"), "x");
    const QString key = QStringLiteral("Software\\Tarvex\\Brivane Dialogs\\Settings");
    const struct
    {
        QString showHidden;
        QString defaultView;
        int rows;
        QString visibleView;
    } cases[] = {
        { u"0"_qs, u"0"_qs, 5, u"FileListDetails"_qs },
        { u"1"_qs, u"2"_qs, 6, u"FileListThumbnails"_qs },
        { u"0"_qs, u"1"_qs, 5, u"FileListList"_qs },
    };
    for (const auto &c : cases) {
        platform::KeyStore store;
        ASSERT_TRUE(store.writeString(key, QStringLiteral("Show hidden files"), c.showHidden));
        ASSERT_TRUE(store.writeString(key, QStringLiteral("Default view"), c.defaultView));
        forgetDialogState(); // a remembered view would win over the default
        DialogHost::events().clear();
        QWidget *window = open(dir.path(), c.rows);
        ASSERT_NE(window, nullptr);
        auto *view = window->findChild<QAbstractItemView *>(c.visibleView);
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(view->isVisible()) << c.visibleView.toStdString();
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_TRUE(platform::KeyStore().deleteValue(key, QStringLiteral("Show hidden files")));
    EXPECT_TRUE(platform::KeyStore().deleteValue(key, QStringLiteral("Default view")));
}

TEST_F(BrowserBehaviourTest, FileThatGrowsMovesInASizeSortedListAndStaysSelected)
{
    QWidget *window = open(dir.path(), 5);
    auto *view = qobject_cast<QTreeView *>(detailsView(window));
    view->header()->setSortIndicator(1, Qt::AscendingOrder);
    ASSERT_EQ(rowNames(window).mid(2), (QStringList { u"small.wav"_qs, u"middle.flac"_qs, u"big.mp3"_qs }));
    QTest::keyClick(view, Qt::Key_Home);
    QTest::keyClick(view, Qt::Key_End);
    QTest::keyClick(view, Qt::Key_Up); // middle.flac
    ASSERT_EQ(view->currentIndex().data().toString(), u"middle.flac"_qs);

    dir.write(QStringLiteral("small.wav"), QByteArray(9000, 'x')); // now the biggest
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return rowNames(window).mid(2) == QStringList { u"middle.flac"_qs, u"big.mp3"_qs, u"small.wav"_qs };
        },
        5000))
        << rowNames(window).join(u',').toStdString();
    EXPECT_EQ(view->currentIndex().data().toString(), u"middle.flac"_qs);
    const QModelIndexList selected = view->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().data().toString(), u"middle.flac"_qs);
}

TEST_F(BrowserBehaviourTest, SortColumnAndWidthsAreRememberedPerDialog)
{
    QWidget *window = open(dir.path(), 5);
    auto *view = qobject_cast<QTreeView *>(detailsView(window));
    view->header()->setSortIndicator(1, Qt::DescendingOrder);
    view->header()->resizeSection(3, 211); // the name column takes what is left
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    DialogHost::events().clear();
    window = open(dir.path(), 5);
    view = qobject_cast<QTreeView *>(detailsView(window));
    EXPECT_EQ(view->header()->sortIndicatorSection(), 1);
    EXPECT_EQ(view->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(view->header()->sectionSize(3), 211);
    EXPECT_EQ(rowNames(window).mid(2), (QStringList { u"big.mp3"_qs, u"middle.flac"_qs, u"small.wav"_qs }));
}

TEST_F(BrowserBehaviourTest, ListMenuCopiesNamesAndShowsHiddenFiles)
{
    dir.write(QStringLiteral(".secret.mp3"), "x");
    QWidget *window = open(dir.path(), 5);
    QAbstractItemView *view = detailsView(window);
    QTest::keyClick(view, Qt::Key_Home);
    QTest::keyClick(view, Qt::Key_End);
    QTest::keyClick(view, Qt::Key_Up, Qt::ShiftModifier);
    view->customContextMenuRequested(view->visualRect(view->currentIndex()).center());
    auto *menu = window->findChild<QMenu *>(QStringLiteral("FileListMenu"));
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    for (QAction *action : menu->actions())
        texts.append(action->text());
    EXPECT_EQ(texts,
        (QStringList { u"Show in file manager"_qs, u"Move to trash"_qs, QString(), u"Copy full name"_qs, QString(),
            u"Refresh"_qs, u"Show hidden files"_qs }));
    menu->findChild<QAction *>(u"ActionCopyFullName"_qs)->trigger();
    EXPECT_EQ(
        QGuiApplication::clipboard()->text(), dir.filePath(u"middle.flac"_qs) + u'\n' + dir.filePath(u"small.wav"_qs));
    menu->actions().last()->trigger(); // Show hidden files
    menu->close();
    EXPECT_TRUE(waitForRows(window, 6));
    EXPECT_TRUE(rowNames(window).contains(u".secret.mp3"_qs));
}

TEST_F(BrowserBehaviourTest, EveryControlHasANameAndAnAccessibleName)
{
    QWidget *window = open(dir.path(), 5);
    platform::sendWindowMessage(handle, bdMsgPanelTree); // the tree exists once shown
    QStringList unnamed;
    int checked = 0;
    const QList<QWidget *> widgets = window->findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        const bool control = qobject_cast<QAbstractButton *>(widget) || qobject_cast<QLineEdit *>(widget)
            || qobject_cast<QComboBox *>(widget) || qobject_cast<QAbstractItemView *>(widget);
        if (!control || qobject_cast<QHeaderView *>(widget) || widget->objectName().startsWith(u"qt_"))
            continue;
        bool inside = false; // parts of Qt's own composite widgets
        for (QWidget *up = widget->parentWidget(); up && up != window; up = up->parentWidget())
            inside = inside || qobject_cast<QComboBox *>(up) || up->objectName().startsWith(u"qt_");
        if (inside || widget->windowFlags().testFlag(Qt::Popup))
            continue;
        ++checked;
        if (widget->objectName().isEmpty() || widget->accessibleName().isEmpty())
            unnamed.append(QString::fromLatin1(widget->metaObject()->className()) + u' ' + widget->objectName());
    }
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(u", ").toStdString();
    EXPECT_GE(checked, 14); // 7 buttons, path, filter, 3 file views, places, tree
}

TEST_F(BrowserBehaviourTest, FilesArrivingLaterSortAmongTheOthers)
{
    QWidget *window = open(dir.path(), 5);
    auto *view = qobject_cast<QTreeView *>(detailsView(window));
    dir.write(QStringLiteral("Big 2.mp3"), QByteArray(3000, 'x')); // same size as big.mp3
    ASSERT_TRUE(waitForRows(window, 6));
    // " " sorts before ".", so "Big 2" comes before "big."
    const QStringList byName
        = { u"folder a"_qs, u"Folder B"_qs, u"Big 2.mp3"_qs, u"big.mp3"_qs, u"middle.flac"_qs, u"small.wav"_qs };
    EXPECT_EQ(rowNames(window), byName);
    view->header()->setSortIndicator(1, Qt::DescendingOrder);
    // Equal sizes fall back to the name order, reversed with the rest.
    EXPECT_EQ(rowNames(window),
        (QStringList {
            u"Folder B"_qs, u"folder a"_qs, u"big.mp3"_qs, u"Big 2.mp3"_qs, u"middle.flac"_qs, u"small.wav"_qs }));
    view->header()->setSortIndicator(0, Qt::AscendingOrder);
    EXPECT_EQ(rowNames(window), byName);
}

TEST_F(BrowserBehaviourTest, FolderChangesKeepTheNaturalNameOrder)
{
    for (const char *name : { "take 1.mp3", "take 2.mp3", "take 10.mp3" })
        dir.write(QString::fromLatin1(name), "x");
    QWidget *window = open(dir.path(), 8);
    const QStringList others = { u"folder a"_qs, u"Folder B"_qs, u"big.mp3"_qs, u"middle.flac"_qs, u"small.wav"_qs };
    // One file goes and one comes, then two more come: numbers compare as
    // numbers and case is ignored after every change, not only after the
    // folder's first listing.
    const struct
    {
        QStringList gone;
        QStringList come;
        QStringList takes;
    } steps[] = {
        { { u"take 2.mp3"_qs }, { u"take 3.mp3"_qs }, { u"take 1.mp3"_qs, u"take 3.mp3"_qs, u"take 10.mp3"_qs } },
        { {}, { u"take 20.mp3"_qs, u"Take 4.mp3"_qs },
            { u"take 1.mp3"_qs, u"take 3.mp3"_qs, u"Take 4.mp3"_qs, u"take 10.mp3"_qs, u"take 20.mp3"_qs } },
    };
    for (const auto &step : steps) {
        for (const QString &name : step.gone)
            ASSERT_TRUE(QFile::remove(dir.filePath(name)));
        for (const QString &name : step.come)
            dir.write(name, "x");
        const QStringList expected = others + step.takes;
        EXPECT_TRUE(QTest::qWaitFor([&] { return rowNames(window) == expected; }, 5000))
            << rowNames(window).join(u',').toStdString();
    }
}

TEST_F(BrowserBehaviourTest, LargeFolderEndsWithEveryFileOnceInOrderAndTheFocusKept)
{
    // More than the rows sent while reading, so the rest arrives merged with
    // them as the whole folder.
    const int takes = 6000;
    for (int i = 0; i < takes; ++i)
        dir.write(QStringLiteral("take %1.mp3").arg(i), QByteArray());
    records.setIntegrated(&parent, dir.path());
    ASSERT_EQ(host.openDialog(&records.params, &records.results), 1);
    handle = std::uintptr_t(DialogHost::eventsWithCode(bdEventWindowCreated).back().wParam);
    QWidget *window = browserWindow(handle);
    QAbstractItemView *view = detailsView(window);
    // Focus a row as soon as there is one, likely before the folder is complete.
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->model()->rowCount() > 0; }, 5000));
    const QModelIndex first = view->model()->index(view->model()->rowCount() - 1, 0);
    const QString focused = first.data().toString();
    view->selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ASSERT_TRUE(waitForRows(window, takes + 5));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !window->findChild<QLabel *>(u"StatusLabel"_qs)->text().contains(u"reading"); }, 5000));

    const QStringList names = rowNames(window);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size());
    EXPECT_EQ(names.mid(0, 5),
        (QStringList { u"folder a"_qs, u"Folder B"_qs, u"big.mp3"_qs, u"middle.flac"_qs, u"small.wav"_qs }));
    EXPECT_EQ(names.mid(5, 3), (QStringList { u"take 0.mp3"_qs, u"take 1.mp3"_qs, u"take 2.mp3"_qs }));
    EXPECT_EQ(names.last(), u"take 5999.mp3"_qs);
    EXPECT_EQ(view->currentIndex().data().toString(), focused);
    const QModelIndexList selected = view->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().data().toString(), focused);
}
