#include "BrowserTestSupport.h"
#include "app/Globals.h"
#include "app/Settings.h"
#include "app/UnitMain.h"
#include "app/VantrelApplication.h"
#include "browser/BrivaneDialogsDynamic.h"
#include "platform/WindowMessage.h"
#include "support/TempDir.h"

#include <QAbstractItemView>
#include <QAction>
#include <QFile>
#include <QImage>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

// Writes each argument it got, NUL-terminated, to the file $VANTREL_RECORD names.
const QByteArray kRecorder = "#!/bin/sh\n"
                             "out=\"$VANTREL_RECORD\"\n"
                             "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$out.part\"\n"
                             "mv \"$out.part\" \"$out\"\n";

// The main window's entries in the real dialog library's context menu.
class BrowserMenuTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DisplayScale = 96;
        ASSERT_TRUE(BrivaneDialogsDynamic().Load()) << "libBrivaneDialogs.so must be built beside the tests";
        music = home.mkdir(QStringLiteral("home/Music"));
        for (const char *name : { "a.mp3", "b.flac", "c.wav" })
            home.write(QStringLiteral("home/Music/") + QString::fromLatin1(name), name);
        record = home.filePath(QStringLiteral("record"));
        qputenv("VANTREL_RECORD", record.toUtf8());
        VantrelApplication::setErrorReporter([this](const QString &message) { errors.append(message); });

        form = std::make_unique<TFormMain>();
        ShowTreeViewHint = false;
        form->TimerStartup->stop();
        settings = std::make_unique<TFormSettings>(form.get());
        FormSettings = settings.get();
        form->resize(1300, 700);
        form->OpenBrivaneDialogsIntegrated();
        window = platform::widgetOf(form->BrivaneDialogsWindow);
        ASSERT_NE(window, nullptr);
        view = window->findChild<QAbstractItemView *>(QStringLiteral("FileListDetails"));
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return view->model()->rowCount() == 3; }, 10000));
    }

    void TearDown() override
    {
        FormSettings = nullptr;
        settings.reset();
        form.reset();
        FreeBrivaneDialogsDynamic();
        VantrelApplication::setErrorReporter({});
        qunsetenv("VANTREL_RECORD");
    }

    // Slot 1: a desktop entry for the recorder, with an icon of its own.
    void configureApplication()
    {
        const QString script = home.write(QStringLiteral("apps/rec.sh"), kRecorder);
        QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);
        QImage red(32, 32, QImage::Format_ARGB32);
        red.fill(Qt::red);
        const QString icon = home.filePath(QStringLiteral("apps/red.png"));
        ASSERT_TRUE(red.save(icon));
        const QString entry = home.write(QStringLiteral("apps/Recorder.desktop"),
            "[Desktop Entry]\nType=Application\nName=Recorder\nIcon=" + icon.toUtf8() + "\nExec=\"" + script.toUtf8()
                + "\" %F\n");
        FormSettings->EditApp(1)->setText(entry);
        FormSettings->EditAppName(1)->setText(QStringLiteral("Rec & Play"));
        FormSettings->EditAppParameters(1)->setText(QStringLiteral("{filename}"));
        form->DisplayOpenWithButtons();
    }

    QMenu *openMenu(const QStringList &names)
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
        return window->findChild<QMenu *>(QStringLiteral("FileListMenu"));
    }

    static QAction *find(QMenu *menu, const QString &name) { return menu ? menu->findChild<QAction *>(name) : nullptr; }

    // Picks an entry as a person would and lets the command arrive.
    void pick(QMenu *menu, const QString &name)
    {
        QAction *action = find(menu, name);
        ASSERT_NE(action, nullptr) << name.toStdString();
        ASSERT_TRUE(action->isEnabled()) << name.toStdString();
        action->trigger();
        menu->close();
    }

    TempDir home;
    PrivateHome privateHome { home.filePath(QStringLiteral("home")) };
    QString music;
    QString record;
    std::unique_ptr<TFormMain> form;
    std::unique_ptr<TFormSettings> settings;
    QWidget *window = nullptr;
    QAbstractItemView *view = nullptr;
    QStringList errors;
};

} // namespace

TEST_F(BrowserMenuTest, EntriesShowTheConfiguredApplicationsAndFoldersAndGreyTheUnsetOnes)
{
    configureApplication();
    const QString target = home.filePath(QStringLiteral("Target"));
    form->EditFolder1->setText(target);
    form->EditFolder3->clear();
    QMenu *menu = openMenu({ QStringLiteral("a.mp3") });
    ASSERT_NE(menu, nullptr);

    const struct
    {
        const char *name;
        QString text;
        bool enabled;
    } cases[] = {
        { "ActionOpenWith1", QStringLiteral("Rec && Play"), true },
        { "ActionOpenWith2", QStringLiteral("No app. specified"), false },
        { "ActionCopyTo1", target, true },
        { "ActionCopyTo2", QStringLiteral("Folder 2 (not set)"), false }, // the placeholder
        { "ActionCopyTo3", QStringLiteral("Folder 3 (not set)"), false }, // emptied
        { "ActionMoveTo1", target, true },
        { "ActionMoveTo2", QStringLiteral("Folder 2 (not set)"), false },
    };
    for (const auto &c : cases) {
        QAction *action = find(menu, QString::fromLatin1(c.name));
        ASSERT_NE(action, nullptr) << c.name;
        EXPECT_EQ(action->text(), c.text) << c.name;
        EXPECT_EQ(action->isEnabled(), c.enabled) << c.name;
    }
    // The application's icon, as on its toolbar button.
    const QImage icon = find(menu, QStringLiteral("ActionOpenWith1"))->icon().pixmap(16, 16).toImage();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(QColor(icon.pixel(8, 8)), QColor(Qt::red));
    for (const char *submenu : { "MenuOpenWith", "MenuCopyTo", "MenuMoveTo" }) {
        auto *sub = menu->findChild<QMenu *>(QString::fromLatin1(submenu));
        ASSERT_NE(sub, nullptr) << submenu;
        EXPECT_FALSE(sub->accessibleName().isEmpty()) << submenu;
    }

    // Nothing selected: nothing to open, copy or move.
    menu = openMenu({});
    for (const char *name : { "ActionOpenWith1", "ActionCopyTo1", "ActionMoveTo1" })
        EXPECT_FALSE(find(menu, QString::fromLatin1(name))->isEnabled()) << name;
    menu->close();
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

TEST_F(BrowserMenuTest, OpenWithStartsTheApplicationOnTheSelectedFiles)
{
    configureApplication();
    pick(openMenu({ QStringLiteral("a.mp3"), QStringLiteral("c.wav") }), QStringLiteral("ActionOpenWith1"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(record); }, 20000)) << "the application did not start";
    QFile file(record);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()).split(QChar(0), Qt::SkipEmptyParts),
        (QStringList { music + QStringLiteral("/a.mp3"), music + QStringLiteral("/c.wav") }));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

TEST_F(BrowserMenuTest, CopyToAndMoveToUseThePresetFolderAndTheListFollows)
{
    const QString copies = home.filePath(QStringLiteral("Copies/Deep")); // made on the way
    const QString moved = home.filePath(QStringLiteral("Moved"));
    form->EditFolder2->setText(copies);
    form->EditFolder3->setText(moved);

    pick(openMenu({ QStringLiteral("a.mp3"), QStringLiteral("b.flac") }), QStringLiteral("ActionCopyTo2"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return QFile::exists(copies + QStringLiteral("/a.mp3"))
                && QFile::exists(copies + QStringLiteral("/b.flac"));
        },
        10000));
    EXPECT_EQ(TempDir::readAll(copies + QStringLiteral("/b.flac")), QByteArray("b.flac"));
    EXPECT_TRUE(QFile::exists(music + QStringLiteral("/a.mp3")));

    pick(openMenu({ QStringLiteral("c.wav") }), QStringLiteral("ActionMoveTo3"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(moved + QStringLiteral("/c.wav")); }, 10000));
    EXPECT_FALSE(QFile::exists(music + QStringLiteral("/c.wav")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->model()->rowCount() == 2; }, 5000));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}
