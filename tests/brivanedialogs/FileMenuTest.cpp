#include "HostedBrowserFixture.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// The host's own entries in the file list's context menu (events 2110 and
// 2111), with a host that adds entries the way the program does.
class FileMenuTest : public HostedBrowserTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.loaded());
        forgetDialogState();
        for (const char *name : { "a.mp3", "b.wav", "c.flac" })
            dir.write(QString::fromLatin1(name), "x");
        parent.resize(800, 500);
        parent.show();
        records.setIntegrated(&parent, dir.path());
        window = openPrepared(3);
        ASSERT_NE(window, nullptr);
        view = detailsView(window);
        std::fill(red.begin(), red.end(), 0xFFFF0000u);
    }

    void TearDown() override
    {
        DialogHost::menuEntries() = nullptr;
        HostedBrowserTest::TearDown();
        forgetDialogState();
    }

    QMenu *openMenu(int selectedRows)
    {
        view->selectionModel()->clearSelection();
        for (int row = 0; row < selectedRows; ++row)
            view->selectionModel()->select(
                view->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view->customContextMenuRequested(QPoint(5, 5));
        return window->findChild<QMenu *>(QStringLiteral("FileListMenu"));
    }

    static QStringList texts(const QMenu *menu)
    {
        QStringList list;
        for (QAction *action : menu->actions())
            list.append(action->isSeparator() ? u"-"_qs : action->text());
        return list;
    }

    QWidget *window = nullptr;
    QAbstractItemView *view = nullptr;
    std::vector<std::uint32_t> red = std::vector<std::uint32_t>(16 * 16);
};

} // namespace

TEST_F(FileMenuTest, HostEntriesComeFirstWithSubmenusIconsAndGreyedOnes)
{
    DialogHost::menuEntries() = [this](TBDMenuRequest &request) {
        static TBDMenuItem items[6];
        items[0] = { 10, 0, bdMenuItemSubmenu, 0, u"Open &with", u"HostOpenWith", nullptr, 0, 0 };
        items[1] = { 11, 10, 0, 0, u"App &One", u"HostApp1", red.data(), 16, 16 };
        items[2] = { 12, 10, bdMenuItemDisabled, 0, u"App Two", u"HostApp2", nullptr, 0, 0 };
        items[3] = { 0, 0, bdMenuItemSeparator, 0, nullptr, nullptr, nullptr, 0, 0 };
        items[4] = { 20, 0, 0, 0, u"Host && action", u"HostAction", nullptr, 0, 0 };
        // Refused: a parent that is no submenu, and no command at all.
        items[5] = { 21, 20, 0, 0, u"Orphan", u"HostOrphan", nullptr, 0, 0 };
        request.Items = items;
        request.ItemCount = 6;
    };
    QMenu *menu = openMenu(2);
    ASSERT_NE(menu, nullptr);
    const auto requests = DialogHost::eventsWithCode(bdEventFileMenu);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests.back().fileCount, 2u); // SelectionCount
    EXPECT_EQ(texts(menu),
        (QStringList { u"Open &with"_qs, u"-"_qs, u"Host && action"_qs, u"-"_qs, u"Show in file manager"_qs,
            u"Move to trash"_qs, u"-"_qs, u"Copy full name"_qs, u"-"_qs, u"Refresh"_qs, u"Show hidden files"_qs }));
    EXPECT_EQ(menu->findChild<QAction *>(u"HostOrphan"_qs), nullptr);
    auto *submenu = menu->findChild<QMenu *>(u"HostOpenWith"_qs);
    ASSERT_NE(submenu, nullptr);
    EXPECT_EQ(submenu->accessibleName(), u"Open with"_qs);
    QAction *one = submenu->findChild<QAction *>(u"HostApp1"_qs);
    QAction *two = submenu->findChild<QAction *>(u"HostApp2"_qs);
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(texts(submenu), (QStringList { u"App &One"_qs, u"App Two"_qs }));
    EXPECT_TRUE(one->isEnabled());
    EXPECT_FALSE(two->isEnabled());
    const QImage icon = one->icon().pixmap(16, 16).toImage();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixel(8, 8), 0xFFFF0000u);

    // The command arrives from the event loop, once the menu is done with.
    DialogHost::events().clear();
    one->trigger();
    menu->close();
    EXPECT_TRUE(DialogHost::eventsWithCode(bdEventFileMenuCommand).empty());
    ASSERT_TRUE(QTest::qWaitFor([] { return !DialogHost::eventsWithCode(bdEventFileMenuCommand).empty(); }, 3000));
    const auto commands = DialogHost::eventsWithCode(bdEventFileMenuCommand);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands.back().wParam, 11u);
}

TEST_F(FileMenuTest, AHostWithoutEntriesOrWithBrokenOnesLeavesTheLibrarysMenu)
{
    const struct
    {
        const char *what;
        std::vector<TBDMenuItem> items;
        std::uint32_t count;
    } cases[] = {
        { "no answer", {}, 0 },
        { "a count but no list", {}, 3 },
        { "entries without a command", { { 0, 0, 0, 0, u"Nothing", nullptr, nullptr, 0, 0 } }, 1 },
        { "a duplicate command",
            { { 5, 0, 0, 0, u"First", nullptr, nullptr, 0, 0 }, { 5, 0, 0, 0, u"Again", nullptr, nullptr, 0, 0 } }, 2 },
    };
    for (const auto &c : cases) {
        DialogHost::menuEntries() = [&c](TBDMenuRequest &request) {
            request.Items = c.items.empty() ? nullptr : c.items.data();
            request.ItemCount = c.count;
        };
        QMenu *menu = openMenu(1);
        ASSERT_NE(menu, nullptr) << c.what;
        QStringList expected { u"Show in file manager"_qs, u"Move to trash"_qs, u"-"_qs, u"Copy full name"_qs, u"-"_qs,
            u"Refresh"_qs, u"Show hidden files"_qs };
        if (c.items.size() == 2)
            expected = QStringList { u"First"_qs, u"-"_qs } + expected;
        EXPECT_EQ(texts(menu), expected) << c.what;
        menu->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(FileMenuTest, AnIconOfAbsurdSizeIsLeftOut)
{
    DialogHost::menuEntries() = [this](TBDMenuRequest &request) {
        static TBDMenuItem item;
        item = { 7, 0, 0, 0, u"Huge", u"HostHuge", red.data(), 100000, 100000 };
        request.Items = &item;
        request.ItemCount = 1;
    };
    QMenu *menu = openMenu(1);
    ASSERT_NE(menu, nullptr);
    QAction *huge = menu->findChild<QAction *>(u"HostHuge"_qs);
    ASSERT_NE(huge, nullptr);
    EXPECT_TRUE(huge->icon().isNull());
}

TEST_F(FileMenuTest, AHostThatClosesTheBrowserWhileAskedGetsNoMenu)
{
    DialogHost::menuEntries() = [this](TBDMenuRequest &) { window->close(); };
    QPointer<QWidget> alive(window);
    view->customContextMenuRequested(QPoint(5, 5));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}
