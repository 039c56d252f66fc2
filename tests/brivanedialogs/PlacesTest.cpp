#include "HostedBrowserFixture.h"
#include "platform/IniDocument.h"
#include "platform/KeyStore.h"
#include "platform/WindowMessage.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

const QString kPlacesKey = QStringLiteral("Software\\Tarvex\\Brivane Dialogs\\Places");

void forgetPlaces()
{
    const QString path = platform::KeyStore::defaultPath();
    platform::IniDocument doc = platform::IniDocument::load(path);
    if (doc.removeSection(kPlacesKey)) {
        ASSERT_TRUE(doc.save(path).ok());
    }
}

// The user's own places in the left panel, kept in the key store across
// browsers (a restart is a browser closed and opened again).
class PlacesTest : public HostedBrowserTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.loaded());
        forgetDialogState();
        forgetPlaces();
        dir.write(QStringLiteral("Drums/kick.wav"), "x");
        dir.write(QStringLiteral("Bass/sub.wav"), "x");
        parent.resize(800, 500);
        parent.show();
    }

    void TearDown() override
    {
        HostedBrowserTest::TearDown();
        forgetDialogState();
        forgetPlaces();
    }

    QWidget *openAt(const QString &folder, int rows)
    {
        records.setIntegrated(&parent, folder);
        return openPrepared(rows);
    }

    // Closes the browser and opens a new one, as the next start of the program would.
    QWidget *restart(const QString &folder, int rows)
    {
        if (QWidget *window = browserWindow(handle))
            window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        DialogHost::events().clear();
        return openAt(folder, rows);
    }

    static QTreeWidgetItem *placesGroup(QWidget *window)
    {
        auto *places = window->findChild<QTreeWidget *>(QStringLiteral("PlacesView"));
        if (!places)
            return nullptr;
        for (int i = 0; i < places->topLevelItemCount(); ++i) {
            if (places->topLevelItem(i)->text(0) == u"Places"_qs)
                return places->topLevelItem(i);
        }
        return nullptr;
    }

    static QStringList placeTexts(QWidget *window)
    {
        QStringList texts;
        QTreeWidgetItem *group = placesGroup(window);
        for (int i = 0; group && i < group->childCount(); ++i)
            texts.append(group->child(i)->text(0) + u'=' + group->child(i)->data(0, Qt::UserRole + 1).toString());
        return texts;
    }

    static QMenu *panelMenu(QWidget *window, QTreeWidgetItem *item)
    {
        auto *places = window->findChild<QTreeWidget *>(QStringLiteral("PlacesView"));
        const QPoint at = item ? places->visualItemRect(item).center() : QPoint(2, 2);
        places->customContextMenuRequested(at);
        return window->findChild<QMenu *>(QStringLiteral("LocationsModeMenu"));
    }

    // Closes a menu and gives the keyboard back to the browser's window, as
    // a window manager would once the popup is gone.
    void closeMenu(QMenu *menu)
    {
        menu->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        parent.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&parent));
    }

    static QAction *action(QMenu *menu, const QString &name)
    {
        return menu ? menu->findChild<QAction *>(name) : nullptr;
    }
};

} // namespace

TEST_F(PlacesTest, CtrlDAddsTheFolderShownAndPlacesSurviveARestart)
{
    const QString drums = dir.filePath(u"Drums"_qs);
    QWidget *window = openAt(drums, 1);
    ASSERT_NE(placesGroup(window), nullptr);
    EXPECT_TRUE(placeTexts(window).isEmpty());
    QTest::keyClick(detailsView(window), Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(detailsView(window), Qt::Key_D, Qt::ControlModifier); // once is enough
    EXPECT_EQ(placeTexts(window), QStringList { u"Drums="_qs + drums });

    const platform::KeyStore store;
    EXPECT_EQ(store.readString(kPlacesKey, u"Folder1"_qs).value_or(QString()), drums);
    EXPECT_EQ(store.readString(kPlacesKey, u"Name1"_qs).value_or(QString()), u"Drums"_qs);

    window = restart(dir.filePath(u"Bass"_qs), 1);
    EXPECT_EQ(placeTexts(window), QStringList { u"Drums="_qs + drums });
    // A click on the place opens it.
    auto *places = window->findChild<QTreeWidget *>(QStringLiteral("PlacesView"));
    places->itemClicked(placesGroup(window)->child(0), 0);
    ASSERT_TRUE(waitForRows(window, 1));
    EXPECT_EQ(rowNames(window), QStringList { u"kick.wav"_qs });
}

TEST_F(PlacesTest, ThePanelMenuAddsRenamesAndRemovesPlaces)
{
    const QString drums = dir.filePath(u"Drums"_qs);
    const QString bass = dir.filePath(u"Bass"_qs);
    QWidget *window = openAt(drums, 1);
    QMenu *menu = panelMenu(window, nullptr);
    ASSERT_NE(action(menu, u"ActionAddPlace"_qs), nullptr);
    EXPECT_EQ(action(menu, u"ActionRenamePlace"_qs), nullptr); // not on a place
    action(menu, u"ActionAddPlace"_qs)->trigger();
    closeMenu(menu);
    platform::sendWindowMessage(handle, bdMsgPanelLocations);
    auto *path = window->findChild<QLineEdit *>(QStringLiteral("PathEdit"));
    ASSERT_NE(path, nullptr);
    path->setText(bass);
    QTest::keyClick(path, Qt::Key_Return);
    ASSERT_TRUE(waitForRows(window, 1));
    QTest::keyClick(detailsView(window), Qt::Key_D, Qt::ControlModifier);
    ASSERT_EQ(placeTexts(window), (QStringList { u"Drums="_qs + drums, u"Bass="_qs + bass }));

    // Rename: the name is edited in the panel, and the host hears that a
    // text field has the keys (so the space bar types a blank).
    DialogHost::events().clear();
    menu = panelMenu(window, placesGroup(window)->child(0));
    ASSERT_NE(action(menu, u"ActionRenamePlace"_qs), nullptr);
    action(menu, u"ActionRenamePlace"_qs)->trigger();
    closeMenu(menu);
    auto *editor = window->findChild<QLineEdit *>(QStringLiteral("PlaceNameEdit"));
    ASSERT_NE(editor, nullptr);
    editor->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor->hasFocus(); }, 2000));
    auto focus = DialogHost::eventsWithCode(bdEventTextFocus);
    ASSERT_FALSE(focus.empty());
    EXPECT_EQ(focus.back().wParam, 1u);
    editor->selectAll();
    QTest::keyClicks(editor, u"Drum hits"_qs);
    QTest::keyClick(editor, Qt::Key_Return); // committed from the event loop
    EXPECT_TRUE(QTest::qWaitFor([&] { return placeTexts(window).value(0).startsWith(u"Drum hits="_qs); }, 3000));
    EXPECT_EQ(placeTexts(window), (QStringList { u"Drum hits="_qs + drums, u"Bass="_qs + bass }));
    focus = DialogHost::eventsWithCode(bdEventTextFocus);
    EXPECT_EQ(focus.back().wParam, 0u);

    // Remove the second one; a restart shows what is left, renamed.
    menu = panelMenu(window, placesGroup(window)->child(1));
    action(menu, u"ActionRemovePlace"_qs)->trigger();
    closeMenu(menu);
    EXPECT_EQ(placeTexts(window), QStringList { u"Drum hits="_qs + drums });
    window = restart(bass, 1);
    EXPECT_EQ(placeTexts(window), QStringList { u"Drum hits="_qs + drums });
    const platform::KeyStore store;
    EXPECT_FALSE(store.readString(kPlacesKey, u"Folder2"_qs).has_value());
}

TEST_F(PlacesTest, AFolderThatDisappearsStaysAsNotAvailable)
{
    const QString gone = dir.mkdir(QStringLiteral("Removable"));
    dir.write(QStringLiteral("Removable/x.wav"), "x");
    QWidget *window = openAt(gone, 1);
    QTest::keyClick(detailsView(window), Qt::Key_D, Qt::ControlModifier);
    ASSERT_TRUE(QDir(gone).removeRecursively());

    window = restart(dir.filePath(u"Bass"_qs), 1);
    ASSERT_EQ(placeTexts(window), QStringList { u"Removable="_qs + gone });
    QTreeWidgetItem *item = placesGroup(window)->child(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return item->toolTip(0).startsWith(u"Not available"_qs); }, 5000));
    EXPECT_EQ(item->data(0, Qt::AccessibleTextRole).toString(), u"Removable (not available)"_qs);
    EXPECT_EQ(item->foreground(0).color(), window->palette().color(QPalette::Disabled, QPalette::Text));

    // Opening it says why nothing happened, and the list stays where it was.
    auto *places = window->findChild<QTreeWidget *>(QStringLiteral("PlacesView"));
    places->itemClicked(item, 0);
    auto *error = window->findChild<QLabel *>(QStringLiteral("PathErrorLabel"));
    ASSERT_NE(error, nullptr);
    EXPECT_TRUE(error->text().contains(u"not available"_qs)) << error->text().toStdString();
    EXPECT_EQ(rowNames(window), QStringList { u"sub.wav"_qs });

    // Back again (a disk plugged in): shown as usual at the next look.
    dir.write(QStringLiteral("Removable/x.wav"), "x");
    auto *userPlaces = window->findChild<QObject *>(QStringLiteral("UserPlaces"));
    ASSERT_NE(userPlaces, nullptr);
    QMetaObject::invokeMethod(userPlaces, "checkAvailability");
    EXPECT_TRUE(QTest::qWaitFor([&] { return item->toolTip(0) == gone; }, 5000));
}

TEST_F(PlacesTest, AStoreWithMorePlacesThanAPanelHoldsIsRefusedWithAMessageAndLeftAlone)
{
    const QString drums = dir.filePath(u"Drums"_qs);
    const struct
    {
        int stored;
        bool refused;
    } cases[] = { { 500, false }, { 501, true }, { 3000, true } };
    for (const auto &c : cases) {
        // Written straight into the store, as a script would have.
        const QString path = platform::KeyStore::defaultPath();
        platform::IniDocument doc = platform::IniDocument::load(path);
        doc.removeSection(kPlacesKey);
        QString text = doc.toText() + u"\r\n["_qs + kPlacesKey + u"]\r\n"_qs;
        for (int i = 1; i <= c.stored; ++i)
            text += u"Name%1=Place %1\r\nFolder%1=/nowhere/%1\r\n"_qs.arg(i);
        ASSERT_TRUE(platform::IniDocument::fromText(text).save(path).ok());
        // The browser keeps its own state in the store too: only the places are compared.
        const auto storedPlaces = [&] {
            const platform::IniDocument now = platform::IniDocument::load(path);
            return now.keys(kPlacesKey).size() == 2 * c.stored
                && now.value(kPlacesKey, u"Folder%1"_qs.arg(c.stored)) == u"/nowhere/%1"_qs.arg(c.stored);
        };
        ASSERT_TRUE(storedPlaces());

        QWidget *window = restart(drums, 1);
        QTreeWidgetItem *group = placesGroup(window);
        ASSERT_NE(group, nullptr);
        // Full or refused: the folder shown is not added, and the store stays as it is.
        QTest::keyClick(detailsView(window), Qt::Key_D, Qt::ControlModifier);
        EXPECT_TRUE(storedPlaces()) << c.stored << ": adding a place rewrote the places";
        QMenu *menu = panelMenu(window, nullptr);
        ASSERT_NE(action(menu, u"ActionAddPlace"_qs), nullptr);
        EXPECT_FALSE(action(menu, u"ActionAddPlace"_qs)->isEnabled()) << c.stored;
        closeMenu(menu);
        if (!c.refused) {
            EXPECT_EQ(group->childCount(), c.stored);
            EXPECT_EQ(placeTexts(window).value(c.stored - 1), u"Place %1=/nowhere/%1"_qs.arg(c.stored));
            continue;
        }
        ASSERT_EQ(group->childCount(), 1) << c.stored;
        // A line that fits the panel; the whole explanation in its tooltip.
        EXPECT_EQ(group->child(0)->text(0), u"Too many places"_qs);
        const QString message = group->child(0)->toolTip(0);
        EXPECT_EQ(message,
            u"Your places are not shown: the key store lists %1 of them, more than the 500 this panel holds. "
            "Remove some from [%2] in %3."_qs.arg(c.stored)
                .arg(kPlacesKey, path));
        EXPECT_EQ(group->child(0)->data(0, Qt::AccessibleDescriptionRole).toString(), message);
        EXPECT_FALSE(group->child(0)->flags() & Qt::ItemIsSelectable);
    }
}
