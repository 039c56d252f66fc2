#include "HostedBrowserFixture.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

// Runs on a private session bus (dbus-run-session) with HOME and
// XDG_DATA_HOME of its own, so the trash and the file manager are the test's.

// Stands in for the desktop's file manager on the bus and records what it
// was asked to show.
class FileManagerRecorder : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QList<QStringList> shown;
    QStringList startupIds;

public Q_SLOTS:
    void ShowItems(const QStringList &uris, const QString &startupId)
    {
        shown.append(uris);
        startupIds.append(startupId);
    }
};

// Where QDesktopServices would have sent a folder.
class OpenedUrls : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl &url) { urls.append(url); }
};

namespace {

const QString kService = QStringLiteral("org.freedesktop.FileManager1");

class FileActionsTest : public HostedBrowserTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.loaded());
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
        forgetDialogState();
        // Beside the trash's own file system, so files go to the home trash.
        work = std::make_unique<QTemporaryDir>(QDir::homePath() + QStringLiteral("/work-XXXXXX"));
        ASSERT_TRUE(work->isValid());
        for (const char *name : { "kick.wav", "snare.mp3", "tom.flac" }) {
            QFile file(work->filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(name);
        }
        parent.resize(800, 500);
        parent.show();
        records.setIntegrated(&parent, work->path());
        window = openPrepared(3);
        ASSERT_NE(window, nullptr);
        view = detailsView(window);
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
    }

    void TearDown() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        HostedBrowserTest::TearDown();
        forgetDialogState();
    }

    QAction *menuAction(const QStringList &names, const QString &action)
    {
        for (QMenu *old : window->findChildren<QMenu *>(QStringLiteral("FileListMenu")))
            old->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        view->selectionModel()->clearSelection();
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            if (names.contains(view->model()->index(row, 0).data().toString()))
                view->selectionModel()->select(
                    view->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        view->customContextMenuRequested(QPoint(5, 5));
        auto *menu = window->findChild<QMenu *>(QStringLiteral("FileListMenu"));
        return menu ? menu->findChild<QAction *>(action) : nullptr;
    }

    static QString trashDir() { return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash"); }

    std::unique_ptr<QTemporaryDir> work;
    QWidget *window = nullptr;
    QAbstractItemView *view = nullptr;
    OpenedUrls opened;
};

} // namespace

TEST_F(FileActionsTest, MoveToTrashPutsTheFilesInTheTrashAndRefreshesTheList)
{
    ASSERT_FALSE(qEnvironmentVariable("XDG_DATA_HOME").isEmpty());
    QAction *trash = menuAction({ u"kick.wav"_qs, u"tom.flac"_qs }, u"ActionMoveToTrash"_qs);
    ASSERT_NE(trash, nullptr);
    EXPECT_TRUE(trash->isEnabled());
    trash->trigger();
    ASSERT_TRUE(waitForRows(window, 1));
    EXPECT_EQ(rowNames(window), QStringList { u"snare.mp3"_qs });
    for (const QString &name : { u"kick.wav"_qs, u"tom.flac"_qs }) {
        EXPECT_FALSE(QFile::exists(work->filePath(name)));
        // Kept, not deleted: the content is in the trash with where it came from.
        const QString kept = trashDir() + u"/files/"_qs + name;
        ASSERT_TRUE(QFile::exists(kept)) << kept.toStdString();
        QFile content(kept);
        ASSERT_TRUE(content.open(QIODevice::ReadOnly));
        EXPECT_EQ(content.readAll(), name.toUtf8());
        QFile info(trashDir() + u"/info/"_qs + name + u".trashinfo"_qs);
        ASSERT_TRUE(info.open(QIODevice::ReadOnly));
        const QByteArray origin = "Path=" + QUrl::toPercentEncoding(work->filePath(name), "/");
        EXPECT_TRUE(info.readAll().contains(origin)) << name.toStdString();
        QFile::remove(kept);
        QFile::remove(info.fileName());
    }
    EXPECT_EQ(window->findChild<QMessageBox *>(u"TrashFailedMessage"_qs), nullptr);
}

TEST_F(FileActionsTest, AFileFoundBelowTheFolderGoesToTheTrashAndLeavesTheResults)
{
    QDir(work->path()).mkdir(u"Deep"_qs);
    QFile deep(work->filePath(u"Deep/kick deep.wav"_qs));
    ASSERT_TRUE(deep.open(QIODevice::WriteOnly));
    deep.close();
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    auto *scope = window->findChild<QComboBox *>(u"FindScope"_qs);
    auto *status = window->findChild<QLabel *>(u"StatusLabel"_qs);
    ASSERT_NE(scope, nullptr);
    ASSERT_NE(status, nullptr);
    scope->setCurrentIndex(scope->findText(u"This folder and below"_qs));
    QTest::keyClicks(window->findChild<QLineEdit *>(u"NameFilterEdit"_qs), u"kick"_qs);
    const QString below = u" found below "_qs + QFileInfo(work->path()).fileName() + u", 0 selected"_qs;
    ASSERT_TRUE(QTest::qWaitFor([&] { return status->text() == u"2 files"_qs + below; }, 10000))
        << status->text().toStdString();

    QAction *trash = menuAction({ u"kick deep.wav"_qs }, u"ActionMoveToTrash"_qs);
    ASSERT_NE(trash, nullptr);
    trash->trigger();
    // The query runs again once the trash is done; the file left its results.
    ASSERT_TRUE(QTest::qWaitFor([&] { return status->text() == u"1 file"_qs + below; }, 10000))
        << status->text().toStdString();
    EXPECT_EQ(rowNames(window), QStringList { u"kick.wav"_qs });
    EXPECT_TRUE(QFile::exists(trashDir() + u"/files/kick deep.wav"_qs));
    QFile::remove(trashDir() + u"/files/kick deep.wav"_qs);
    QFile::remove(trashDir() + u"/info/kick deep.wav.trashinfo"_qs);
}

TEST_F(FileActionsTest, AfterMoveToTrashTheFocusStaysAtTheNextRowUnchosen)
{
    // kick.wav clicked: focused and selected.
    view->setCurrentIndex(view->model()->index(0, 0));
    ASSERT_EQ(view->currentIndex().data().toString(), u"kick.wav"_qs);
    QAction *trash = menuAction({ u"kick.wav"_qs }, u"ActionMoveToTrash"_qs);
    ASSERT_NE(trash, nullptr);
    DialogHost::events().clear();
    trash->trigger();
    ASSERT_TRUE(waitForRows(window, 2));
    EXPECT_EQ(view->currentIndex().data().toString(), u"snare.mp3"_qs);
    EXPECT_TRUE(view->selectionModel()->selectedRows().isEmpty());
    EXPECT_TRUE(DialogHost::eventsWithCode(bdEventFocusChanged).empty()) << "a focus report plays the file";

    // Down goes on from there, not from the top of the list.
    QTest::keyClick(view, Qt::Key_Down);
    const auto focused = DialogHost::eventsWithCode(bdEventFocusChanged);
    ASSERT_EQ(focused.size(), 1u);
    EXPECT_EQ(focused[0].fileName, work->filePath(u"tom.flac"_qs));
    QFile::remove(trashDir() + u"/files/kick.wav"_qs);
    QFile::remove(trashDir() + u"/info/kick.wav.trashinfo"_qs);
}

TEST_F(FileActionsTest, WhatCannotGoToTheTrashIsReportedAndLeftAlone)
{
    QAction *trash = menuAction({ u"kick.wav"_qs, u"snare.mp3"_qs }, u"ActionMoveToTrash"_qs);
    ASSERT_NE(trash, nullptr);
    // Gone before the worker comes to it: reported, the other one still goes.
    ASSERT_TRUE(QFile::remove(work->filePath(u"kick.wav"_qs)));
    trash->trigger();
    QMessageBox *box = nullptr;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return (box = window->findChild<QMessageBox *>(u"TrashFailedMessage"_qs)); }, 5000));
    EXPECT_TRUE(box->informativeText().startsWith(u"kick.wav: "_qs)) << box->informativeText().toStdString();
    EXPECT_TRUE(box->text().contains(u"not deleted"_qs));
    EXPECT_TRUE(waitForRows(window, 1));
    EXPECT_EQ(rowNames(window), QStringList { u"tom.flac"_qs });
    EXPECT_TRUE(QFile::exists(trashDir() + u"/files/snare.mp3"_qs));
    box->close();
}

TEST_F(FileActionsTest, ShowInFileManagerAsksTheDesktopsFileManagerForTheSelection)
{
    FileManagerRecorder recorder;
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"file-manager"_qs);
    ASSERT_TRUE(bus.registerObject(u"/org/freedesktop/FileManager1"_qs, &recorder, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService(kService));

    QAction *show = menuAction({ u"kick.wav"_qs, u"tom.flac"_qs }, u"ActionShowInFileManager"_qs);
    ASSERT_NE(show, nullptr);
    show->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.shown.isEmpty(); }, 5000));
    EXPECT_EQ(recorder.shown.first(),
        (QStringList { QUrl::fromLocalFile(work->filePath(u"kick.wav"_qs)).toString(),
            QUrl::fromLocalFile(work->filePath(u"tom.flac"_qs)).toString() }));

    bus.unregisterService(kService);
    bus.unregisterObject(u"/org/freedesktop/FileManager1"_qs);
    QDBusConnection::disconnectFromBus(u"file-manager"_qs);
}

TEST_F(FileActionsTest, WithoutAFileManagerOnTheBusTheFolderIsOpened)
{
    ASSERT_FALSE(QDBusConnection::sessionBus().interface()->isServiceRegistered(kService).value());
    QAction *show = menuAction({ u"snare.mp3"_qs }, u"ActionShowInFileManager"_qs);
    ASSERT_NE(show, nullptr);
    show->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened.urls.isEmpty(); }, 5000));
    EXPECT_EQ(opened.urls, QList<QUrl> { QUrl::fromLocalFile(work->path()) });
}

TEST_F(FileActionsTest, WithNoFileManagerAndNothingToOpenTheFolderTheUserIsTold)
{
    ASSERT_FALSE(QDBusConnection::sessionBus().interface()->isServiceRegistered(kService).value());
    // No xdg-open, nor anything else on the PATH that opens a folder.
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    const QTemporaryDir emptyBin;
    ASSERT_TRUE(emptyBin.isValid());
    const struct RestorePath
    {
        QByteArray saved = qgetenv("PATH");
        ~RestorePath() { qputenv("PATH", saved); }
    } restorePath;
    qputenv("PATH", QFile::encodeName(emptyBin.path()));

    QAction *show = menuAction({ u"snare.mp3"_qs }, u"ActionShowInFileManager"_qs);
    ASSERT_NE(show, nullptr);
    show->trigger();
    QMessageBox *box = nullptr;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return (box = window->findChild<QMessageBox *>(u"NoFileManagerMessage"_qs)); }, 5000));
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(box->text().contains(u"snare.mp3"_qs)) << box->text().toStdString();
    EXPECT_TRUE(box->informativeText().contains(u"xdg-open"_qs)) << box->informativeText().toStdString();
    EXPECT_TRUE(box->informativeText().contains(work->path())) << box->informativeText().toStdString();
    box->close();
}

TEST_F(FileActionsTest, WithNothingSelectedBothAreGreyed)
{
    QAction *show = menuAction({}, u"ActionShowInFileManager"_qs);
    ASSERT_NE(show, nullptr);
    EXPECT_FALSE(show->isEnabled());
    auto *menu = window->findChild<QMenu *>(QStringLiteral("FileListMenu"));
    EXPECT_FALSE(menu->findChild<QAction *>(u"ActionMoveToTrash"_qs)->isEnabled());
}

#include "FileActionsTest.moc"
