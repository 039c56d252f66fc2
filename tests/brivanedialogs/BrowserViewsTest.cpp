#include "HostedBrowserFixture.h"
#include "platform/KeyStore.h"
#include "platform/WindowMessage.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace {

constexpr int kPathRole = Qt::UserRole + 1;

// WCAG relative luminance and contrast ratio of two colours.
double luminance(const QColor &colour)
{
    auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// How wide the readable text in area is: the background is the colour most
// pixels have; readable pixels contrast with it at least 3:1 (glyph cores are
// drawn in the full text colour). A name drawn in a colour close to its
// background spans nothing, whatever else the item shows.
// The first and last column of area that holds readable text, as above;
// left > right when none does.
std::pair<int, int> readableSpan(const QImage &shot, const QRect &area)
{
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (shot.rect().contains(x, y))
                ++counts[shot.pixel(x, y)];
        }
    }
    if (counts.empty())
        return { area.right() + 1, area.left() - 1 };
    const QColor background = QColor::fromRgb(
        std::max_element(counts.begin(), counts.end(), [](auto &a, auto &b) { return a.second < b.second; })->first);
    int left = area.right() + 1;
    int right = area.left() - 1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (shot.rect().contains(x, y) && contrast(background, QColor::fromRgb(shot.pixel(x, y))) >= 3.0) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return { left, right };
}

int readableWidth(const QImage &shot, const QRect &area)
{
    const auto [left, right] = readableSpan(shot, area);
    return std::max(0, right - left + 1);
}

QPalette darkPalette()
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(0x2A, 0x2A, 0x2A));
    dark.setColor(QPalette::AlternateBase, QColor(0x42, 0x42, 0x42));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::Highlight, QColor(0x2A, 0x82, 0xDA));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Mid, QColor(0x80, 0x80, 0x80));
    return dark;
}

class BrowserViewsTest : public HostedBrowserTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.loaded());
        forgetDialogState();
        dir.mkdir(QStringLiteral("folder a"));
        dir.mkdir(QStringLiteral("Folder B"));
        dir.write(QStringLiteral("a.mp3"), "x");
        dir.write(QStringLiteral("b take with a much longer name than the first one.wav"), "x");
        dir.write(QStringLiteral("c.flac"), "x");
        parent.resize(900, 500);
        parent.show();
    }

    void TearDown() override
    {
        HostedBrowserTest::TearDown();
        QApplication::setPalette(QApplication::style()->standardPalette());
        forgetDialogState();
    }

    QWidget *open(int rows = 5)
    {
        records.setIntegrated(&parent, dir.path());
        QWidget *window = openPrepared(rows);
        parent.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&parent));
        return window;
    }

    template<typename T = QWidget> T *find(QWidget *window, const char *name)
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
};

} // namespace

TEST_F(BrowserViewsTest, NamesAreReadableInEveryViewSelectedOrNotInLightAndDarkPalettes)
{
    const struct
    {
        const char *palette;
        QPalette colours;
    } palettes[] = { { "light", QApplication::style()->standardPalette() }, { "dark", darkPalette() } };
    const struct
    {
        const char *button;
        const char *view;
    } views[] = { { "DetailsViewButton", "FileListDetails" }, { "ListViewButton", "FileListList" },
        { "ThumbnailsViewButton", "FileListThumbnails" } };
    for (const auto &p : palettes) {
        QApplication::setPalette(p.colours);
        QWidget *window = open();
        for (const auto &v : views) {
            find<QAbstractButton>(window, v.button)->click();
            auto *view = find<QAbstractItemView>(window, v.view);
            ASSERT_TRUE(view->isVisible()) << v.view;
            view->setFocus();
            const QModelIndex selected = view->model()->index(2, 0); // a.mp3
            const QModelIndex plain = view->model()->index(4, 0); // c.flac
            view->selectionModel()->setCurrentIndex(selected, QItemSelectionModel::ClearAndSelect);
            const struct
            {
                QModelIndex index;
                bool active;
                const char *state;
            } states[] = { { selected, true, "selected" }, { selected, false, "selected in an inactive window" },
                { plain, true, "not selected" } };
            for (const auto &[index, active, state] : states) {
                // Another window takes the activation; the selection then
                // uses the palette's inactive colours.
                QWidget other;
                if (!active) {
                    other.setGeometry(parent.geometry().right() + 10, 0, 50, 50);
                    other.show();
                    other.activateWindow();
                    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
                }
                view->scrollTo(index);
                QApplication::processEvents();
                const QImage shot = view->viewport()->grab().toImage();
                // The text line only: not the focus frame at the item's edge
                // nor a thumbnail's picture above its name.
                QRect area = view->visualRect(index).adjusted(4, 2, -4, -2);
                if (qobject_cast<QListView *>(view)
                    && qobject_cast<QListView *>(view)->viewMode() == QListView::IconMode)
                    area.setTop(area.bottom() - view->fontMetrics().height());
                const int readable = readableWidth(shot, area);
                const int nameWidth = view->fontMetrics().horizontalAdvance(index.data().toString());
                EXPECT_GE(readable, nameWidth * 8 / 10)
                    << p.palette << " palette, " << v.view << ", " << state << " name";
                if (!active) {
                    other.close();
                    parent.activateWindow();
                    ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
                }
            }
        }
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(BrowserViewsTest, ListViewGivesEveryNameItsOwnWidth)
{
    QWidget *window = open();
    find<QAbstractButton>(window, "ListViewButton")->click();
    auto *list = find<QListView>(window, "FileListList");
    ASSERT_TRUE(list->isVisible());
    QApplication::processEvents();
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        const QModelIndex index = list->model()->index(row, 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return list->visualRect(index).isValid(); }, 2000));
        const int needed = list->fontMetrics().horizontalAdvance(index.data().toString()) + list->iconSize().width();
        EXPECT_GE(list->visualRect(index).width(), needed) << index.data().toString().toStdString();
    }
}

// Each cell's text is drawn where its alignment puts it, and text too long
// for its column is cut short inside the cell's margins instead of running
// up to (or into) the next column.
TEST_F(BrowserViewsTest, CellTextKeepsItsAlignmentAndStaysWithinItsCell)
{
    QWidget *window = open();
    auto *details = find<QTreeView>(window, "FileListDetails");
    QAbstractItemModel *model = details->model();
    const int row = 2; // a.mp3, after the two folders
    ASSERT_EQ(model->index(row, 0).data().toString(), QStringLiteral("a.mp3"));
    // The type column narrowed to half of what its text needs.
    const QString type = model->index(row, 2).data().toString();
    details->header()->setMinimumSectionSize(1);
    details->header()->resizeSection(2, details->fontMetrics().horizontalAdvance(type) / 2);
    QApplication::processEvents();
    ASSERT_LT(details->header()->sectionSize(2), details->fontMetrics().horizontalAdvance(type));
    const QImage shot = details->viewport()->grab().toImage();
    // The delegate keeps at least 2 pixels between a cell's edge and its text.
    constexpr int kMargin = 2;
    const struct
    {
        int column;
        Qt::Alignment side;
        bool cut;
        const char *what;
    } cells[] = {
        { 0, Qt::AlignLeft, false, "name after its icon" },
        { 1, Qt::AlignRight, false, "size, right-aligned" },
        { 2, Qt::AlignLeft, true, "type in a column too narrow for it" },
    };
    for (const auto &cell : cells) {
        const QRect rect = details->visualRect(model->index(row, cell.column));
        ASSERT_TRUE(rect.isValid()) << cell.what;
        const QString text = model->index(row, cell.column).data().toString();
        // A little past the cell's edges, so that text running over them
        // would be seen.
        const auto [left, right] = readableSpan(shot, rect.adjusted(-kMargin, 2, kMargin, -2));
        ASSERT_LE(left, right) << cell.what << ": no readable text";
        EXPECT_GE(left, rect.left() + kMargin) << cell.what;
        EXPECT_LE(right, rect.right() - kMargin) << cell.what;
        const int iconSpace = cell.column == 0 ? details->iconSize().width() : 0;
        if (cell.side == Qt::AlignRight)
            EXPECT_GE(right, rect.right() - 3 * kMargin - 2) << cell.what;
        else
            EXPECT_LE(left, rect.left() + iconSpace + 4 * kMargin + 4) << cell.what;
        const int drawn = right - left + 1;
        const int whole = details->fontMetrics().horizontalAdvance(text);
        if (cell.cut)
            EXPECT_LT(drawn, whole * 9 / 10) << cell.what;
        else
            EXPECT_GE(drawn, whole * 8 / 10) << cell.what;
    }
}

TEST_F(BrowserViewsTest, NameColumnTakesTheFreeWidth)
{
    QWidget *window = open();
    auto *details = find<QTreeView>(window, "FileListDetails");
    QHeaderView *header = details->header();
    auto filled = [&] { return header->length() == details->viewport()->width(); };
    EXPECT_TRUE(filled()) << header->length() << " of " << details->viewport()->width();
    const int others = header->length() - header->sectionSize(0);

    parent.resize(1300, 500);
    ASSERT_TRUE(QTest::qWaitFor(filled, 2000)) << header->length() << " of " << details->viewport()->width();
    // Only the name column grew.
    EXPECT_EQ(header->length() - header->sectionSize(0), others);
    EXPECT_GT(header->sectionSize(0), 600);
}

TEST_F(BrowserViewsTest, FolderTreeStartsOpenAtTheCurrentFolderUnderHomeAndTheFileSystem)
{
    const QString deep
        = dir.mkdir(QStringLiteral("a rather long folder name/with a longer folder name inside/and deeper"));
    dir.mkdir(QStringLiteral("a rather long folder name/with a longer folder name inside/and deeper/leaf"));
    records.setIntegrated(&parent, deep);
    openPrepared(1);
    QWidget *window = browserWindow(handle);
    // A narrow panel: deep names must scroll, not shrink to nothing.
    find<QSplitter>(window, "BrowserSplitter")->setSizes({ 150, 700 });
    platform::sendWindowMessage(handle, bdMsgPanelTree);
    auto *tree = find<QTreeView>(window, "FolderTree");
    ASSERT_NE(tree, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return tree->currentIndex().data(kPathRole).toString() == deep; }, 5000))
        << tree->currentIndex().data(kPathRole).toString().toStdString();

    QAbstractItemModel *model = tree->model();
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(0, 0).data().toString(), QStringLiteral("Home"));
    EXPECT_EQ(model->index(0, 0).data(kPathRole).toString(), QDir::homePath());
    EXPECT_EQ(model->index(1, 0).data().toString(), QStringLiteral("File system"));
    EXPECT_EQ(model->index(1, 0).data(kPathRole).toString(), QStringLiteral("/"));

    // Open down to the current folder, which shows its own subfolders.
    const QModelIndex current = tree->currentIndex();
    for (QModelIndex up = current.parent(); up.isValid(); up = up.parent())
        EXPECT_TRUE(tree->isExpanded(up)) << up.data(kPathRole).toString().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(current) == 1; }, 5000));
    EXPECT_TRUE(tree->isExpanded(current));
    EXPECT_EQ(model->index(0, 0, current).data().toString(), QStringLiteral("leaf"));

    // Whole names, reachable by scrolling sideways.
    QApplication::processEvents();
    const QRect rect = tree->visualRect(current);
    const int textWidth = tree->fontMetrics().horizontalAdvance(current.data().toString());
    EXPECT_GE(rect.width(), textWidth + tree->iconSize().width());
    EXPECT_GT(tree->horizontalScrollBar()->maximum(), 0);
}

TEST_F(BrowserViewsTest, RecentFoldersAreTellableApartUniqueAndExisting)
{
    const QString x = dir.mkdir(QStringLiteral("x/self"));
    const QString y = dir.mkdir(QStringLiteral("y/self"));
    const QString z = dir.mkdir(QStringLiteral("z/self"));
    const QString key = QStringLiteral("Software\\Tarvex\\Brivane Dialogs\\Recent folders");
    {
        platform::KeyStore store;
        const QString stored[] = { x + u'/', x, y, dir.filePath(QStringLiteral("deleted long ago")), z };
        for (int i = 0; i < 12; ++i) {
            const QString name = QStringLiteral("Folder%1").arg(i + 1);
            if (i < int(std::size(stored)))
                ASSERT_TRUE(store.writeString(key, name, stored[i]));
            else
                ASSERT_TRUE(store.deleteValue(key, name));
        }
    }
    QWidget *window = open(8);
    auto *places = find<QTreeWidget>(window, "PlacesView");
    QTreeWidgetItem *recent = places->topLevelItem(places->topLevelItemCount() - 1);
    ASSERT_EQ(recent->text(0), QStringLiteral("Recent folders"));
    auto shown = [&] {
        QStringList items;
        for (int i = 0; i < recent->childCount(); ++i)
            items.append(recent->child(i)->text(0) + u" = " + recent->child(i)->toolTip(0));
        return items;
    };
    const QString dirName = QDir(dir.path()).dirName();
    const QStringList expected
        = { dirName + u" = " + dir.path(), u"x/self = "_qs + x, u"y/self = "_qs + y, u"z/self = "_qs + z };
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown() == expected; }, 2000)) << shown().join(u" | ").toStdString();

    // A recent folder deleted since: clicking it takes it off the list.
    ASSERT_TRUE(QDir(y).removeRecursively());
    places->itemClicked(recent->child(2), 0);
    EXPECT_EQ(find<QLineEdit>(window, "PathEdit")->text(), dir.path());
    EXPECT_EQ(shown(), (QStringList { dirName + u" = " + dir.path(), u"x/self = "_qs + x, u"z/self = "_qs + z }));
}

TEST_F(BrowserViewsTest, TabVisitsEveryControlAndTheHostCanFocusThePathBar)
{
    QWidget *window = open();
    QAbstractItemView *list = detailsView(window);
    list->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == list; }, 2000));
    auto walk = [&](Qt::KeyboardModifiers modifiers) {
        QStringList visited;
        for (int i = 0; i < 20; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
            QWidget *focus = QApplication::focusWidget();
            visited.append(focus ? focus->objectName() : u"<none>"_qs);
            if (focus == list)
                break;
        }
        return visited;
    };
    // Back and Forward are disabled with no history yet; the three view
    // buttons are one group, entered at the checked one.
    const QStringList forward = { u"PathEdit"_qs, u"UpButton"_qs, u"RefreshButton"_qs, u"DetailsViewButton"_qs,
        u"FilterBox"_qs, u"PlacesView"_qs, u"FileListDetails"_qs };
    EXPECT_EQ(walk(Qt::NoModifier), forward);
    QStringList backward(forward.rbegin() + 1, forward.rend());
    backward.append(u"FileListDetails"_qs);
    EXPECT_EQ(walk(Qt::ShiftModifier), backward);
    // Inside the group the arrow keys move on.
    auto *details = find<QAbstractButton>(window, "DetailsViewButton");
    details->setFocus(Qt::TabFocusReason);
    QTest::keyClick(details, Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), find<QWidget>(window, "ListViewButton"));
    find<QAbstractButton>(window, "DetailsViewButton")->click();

    // The host's shortcut: the path bar with its text selected.
    EXPECT_EQ(platform::sendWindowMessage(handle, bdMsgFocusPathBar), 1);
    auto *path = find<QLineEdit>(window, "PathEdit");
    EXPECT_EQ(QApplication::focusWidget(), path);
    EXPECT_EQ(path->selectedText(), dir.path());

    // Focus given to the browser as a whole lands in the file list.
    window->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(QApplication::focusWidget(), list);
}

// The desktop's icon theme supplies the buttons' faces once the browser has
// been painted (before, each shows its drawn face), and the browser then
// paints again with them.
TEST_F(BrowserViewsTest, IconThemeFacesShowOnceTheBrowserIsPainted)
{
    const TempDir themeDir; // apart from the listed folder
    const QString themes = themeDir.path() + u"/icons"_qs;
    const QString actions = themes + u"/test-theme/scalable/actions"_qs;
    ASSERT_TRUE(QDir().mkpath(actions));
    themeDir.write(u"icons/test-theme/index.theme"_qs,
        "[Icon Theme]\nName=Test\nDirectories=scalable/actions\n\n"
        "[scalable/actions]\nSize=16\nMinSize=8\nMaxSize=256\nType=Scalable\n");
    QImage face(16, 16, QImage::Format_ARGB32);
    face.fill(Qt::red);
    ASSERT_TRUE(face.save(actions + u"/view-refresh.png"_qs));
    const QStringList savedPaths = QIcon::themeSearchPaths();
    const QString savedTheme = QIcon::themeName();
    QIcon::setThemeSearchPaths({ themes });
    QIcon::setThemeName(u"test-theme"_qs);

    QWidget *window = open();
    auto *refresh = find<QAbstractButton>(window, "RefreshButton");
    ASSERT_NE(refresh, nullptr);
    const auto redPixels = [refresh] {
        const QImage shot = refresh->grab().toImage();
        int red = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x)
                red += shot.pixelColor(x, y) == QColor(Qt::red) ? 1 : 0;
        }
        return red;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return refresh->icon().name() == u"view-refresh"_qs; }, 2000));
    EXPECT_GT(redPixels(), 16);
    // A face the theme lacks stays drawn.
    EXPECT_TRUE(find<QAbstractButton>(window, "UpButton")->icon().name().isEmpty());

    QIcon::setThemeSearchPaths(savedPaths);
    QIcon::setThemeName(savedTheme);
    EXPECT_TRUE(refresh->icon().name().isEmpty()) << "the theme's face outlived the theme";
}
