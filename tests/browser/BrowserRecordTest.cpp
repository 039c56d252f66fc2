#include "BrowserTestSupport.h"
#include "StubBrivaneDialogs.h"
#include "app/ActionManager.h"
#include "app/Globals.h"
#include "app/SettingsFile.h"
#include "app/StartupFiles.h"
#include "app/UnitMain.h"
#include "browser/BrivaneDialogsDefs.h"
#include "browser/BrivaneDialogsDynamic.h"
#include "platform/WindowMessage.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFrame>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

// Records the messages the main window sends to the browser's window.
class RecordingWindow : public QWidget
{
public:
    bool event(QEvent *event) override
    {
        if (platform::WindowMessageEvent::isWindowMessage(event)) {
            messages.append(static_cast<platform::WindowMessageEvent *>(event)->message());
            return true;
        }
        return QWidget::event(event);
    }
    QList<unsigned> messages;
};

// The browser opened on the recording stand-in of the library, so the
// record the program fills can be checked field by field.
class BrowserRecordTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DisplayScale = 96;
        const QString path = binaryDir() + QStringLiteral("/bin/libStubBrivaneDialogsFull.so");
        ASSERT_TRUE(BrivaneDialogsDynamic().LoadFrom(path));
        void *stub = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_NOLOAD);
        ASSERT_NE(stub, nullptr);
        control = reinterpret_cast<StubControlFunction>(::dlsym(stub, "StubBrivaneDialogs_Control"))();
        ::dlclose(stub);
        *control = StubControl {};
    }
    void TearDown() override
    {
        form.reset();
        FreeBrivaneDialogsDynamic();
    }

    TFormMain &start()
    {
        form = std::make_unique<TFormMain>();
        ShowTreeViewHint = false;
        return *form;
    }

    TempDir home;
    PrivateHome privateHome { home.filePath(QStringLiteral("home")) };
    StubControl *control = nullptr;
    std::unique_ptr<TFormMain> form;
};

TEST_F(BrowserRecordTest, OpeningFillsTheRecordAsTheLibraryExpects)
{
    start();
    // Whatever scale start-up settled on is what the browser gets.
    DisplayScale = 120;
    control->names = {};
    form->OpenBrivaneDialogsIntegrated();
    ASSERT_EQ(control->calls, 1);
    EXPECT_EQ(control->entry, "open");
    const TOpenDialogParams &p = control->params;
    EXPECT_EQ(p.Options, 0x01B80040u);
    EXPECT_EQ(p.OptionsEx, 0x0400u);
    EXPECT_EQ(p.ParentWindow, platform::handleOf(form->PanelBrivaneDialogs));
    EXPECT_EQ(GUIDToString(p.DialogGUID), QStringLiteral("{14041EA1-43B5-474A-B7BA-CAE3B9460048}"));
    EXPECT_EQ(p.DialogType, bvdtOpenDialog);
    EXPECT_EQ(p.InitialDir, nullptr);
    EXPECT_EQ(p.User, nullptr);
    EXPECT_EQ(p.FileName, nullptr);
    EXPECT_EQ(p.DefaultExt, nullptr);
    EXPECT_EQ(p.Appearance, nullptr);
    EXPECT_EQ(p.FilterIndex, 0);
    EXPECT_EQ(control->title, u"Audio files from");
    EXPECT_EQ(control->filters,
        u"All audio files|*.mp3;*.mp2;*.mp1;*.flac;*.fla;*.flc;*.oga;*.wav;*.aif;*.aiff;*.aifc;*.afc;*.mp4;*.m4a;"
        u"*.m4b;*.aac;*.ac3;*.mpc;*.mpa;*.wma;*.dff;*.dsf;*.ogg;*.opus;*.wv;*.ape;*.spx;*.tta;*.caf;*.w64;*.mka");
    EXPECT_EQ(control->additional, u"UIDPIScaling=120\r\nThumbnailsWidth=400\r\nThumbnailsHeight=100");
    // The window came with the library's report; every event was answered with 1.
    EXPECT_EQ(form->BrivaneDialogsWindow, 0x5151u);
    for (std::uint32_t answer : control->hookResults)
        EXPECT_EQ(answer, 1u);
    // The results record went back through the browser's binding.
    EXPECT_EQ(control->freed.size(), 1u);
    EXPECT_EQ(form->LabelBrowserUnavailable, nullptr);
}

TEST(StartupLocation, TheFirstExistingFileOrFolderDecides)
{
    const TempDir dir;
    const QString album = dir.mkdir(QStringLiteral("My Album"));
    const QString song = dir.write(QStringLiteral("My Album/one song.ogg"), "x");
    const QString other = dir.write(QStringLiteral("other/two.flac"), "x");
    const struct
    {
        QStringList arguments;
        StartupLocation expected;
    } cases[] = {
        { {}, { {}, {}, {} } },
        { { song }, { album, song, {} } },
        { { song, other }, { album, song, {} } },
        { { album }, { album, {}, {} } },
        { { QStringLiteral("--flag"), dir.filePath(QStringLiteral("gone.mp3")), QString(), other },
            { dir.filePath(QStringLiteral("other")), other, dir.filePath(QStringLiteral("gone.mp3")) } },
        { { QStringLiteral("gone.mp3"), QStringLiteral("Album/also gone.mp3") },
            { {}, {}, dir.filePath(QStringLiteral("gone.mp3")) } },
        { { song, QStringLiteral("gone.mp3") }, { album, song, {} } },
        { { QUrl::fromLocalFile(song).toString() }, { album, song, {} } },
        { { QStringLiteral("http://example.com/a.mp3"), other }, { dir.filePath(QStringLiteral("other")), other, {} } },
        { { QStringLiteral("My Album/one song.ogg") }, { album, song, {} } }, // relative to the current folder
        { { dir.filePath(QStringLiteral("My Album/../other/two.flac")) },
            { dir.filePath(QStringLiteral("other")), other, {} } },
    };
    for (const auto &c : cases) {
        const StartupLocation got = StartupLocationFromArguments(c.arguments, dir.path());
        EXPECT_EQ(got.folder, c.expected.folder) << c.arguments.join(u'|').toStdString();
        EXPECT_EQ(got.file, c.expected.file) << c.arguments.join(u'|').toStdString();
        EXPECT_EQ(got.missing, c.expected.missing) << c.arguments.join(u'|').toStdString();
    }
}

TEST_F(BrowserRecordTest, StartedWithFilesTheBrowserOpensAtTheFirstOnesFolder)
{
    const TempDir dir;
    const QString song = dir.write(QStringLiteral("Album/song.ogg"), "x");
    start();
    form->SetStartupArguments({ QStringLiteral("--ignored"), song });
    form->OpenBrivaneDialogsIntegrated();
    EXPECT_EQ(control->initialDir, QDir::cleanPath(dir.filePath(QStringLiteral("Album"))).toStdU16String());
    EXPECT_EQ(control->fileName, song.toStdU16String());
}

// A file manager or a shell hands over a file that is gone: the browser
// opens where it would have anyway, and the status line says which file.
TEST_F(BrowserRecordTest, StartedWithAFileThatIsGoneTheStatusLineNamesIt)
{
    const TempDir dir;
    const QString gone = dir.filePath(QStringLiteral("Album/gone.ogg"));
    start();
    form->SetStartupArguments({ gone });
    form->OpenBrivaneDialogsIntegrated();
    EXPECT_TRUE(control->initialDir.empty());
    EXPECT_EQ(form->StatusPanel1->text(), QStringLiteral("Not found: ") + gone);
}

TEST_F(BrowserRecordTest, ThumbnailSizeIsReadFromTheSettingsWithinItsLimits)
{
    {
        SettingsFile ini(GetSettingsFileName());
        ini.WriteInteger(QStringLiteral("Display"), QStringLiteral("Thumbnail width"), 5);
        ini.WriteInteger(QStringLiteral("Display"), QStringLiteral("Thumbnail height"), 20000);
    }
    start();
    form->OpenBrivaneDialogsIntegrated();
    EXPECT_EQ(control->additional, u"UIDPIScaling=96\r\nThumbnailsWidth=32\r\nThumbnailsHeight=10000");
}

TEST_F(BrowserRecordTest, FocusAndSelectionReportsReachTheWindow)
{
    start();
    const QString file = home.write(QStringLiteral("song.mp3"), "x");
    control->focusName = file.toStdU16String();
    control->names = { file.toStdU16String(), home.path().toStdU16String() };
    form->OpenBrivaneDialogsIntegrated();
    EXPECT_EQ(form->FocusedFileName, file);
    EXPECT_EQ(form->SelectedFilesList, QStringList { file });
}

TEST_F(BrowserRecordTest, ResizesRequestsAndClosingGoToTheBrowsersWindow)
{
    start();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    RecordingWindow browser;
    form->HandleBrivaneDialogsEvent(bdEventWindowCreated, platform::handleOf(&browser));

    form->resize(form->width() + 40, form->height() + 30);
    QCoreApplication::processEvents();
    EXPECT_TRUE(browser.messages.contains(bdMsgRefit));
    browser.messages.clear();
    form->PanelBrivaneDialogsContainer->resize(
        form->PanelBrivaneDialogsContainer->width() - 20, form->PanelBrivaneDialogsContainer->height());
    EXPECT_EQ(browser.messages, QList<unsigned> { bdMsgRefit });

    browser.messages.clear();
    form->GetSelectedFilesList();
    EXPECT_EQ(browser.messages, QList<unsigned> { bdMsgReportSelection });

    browser.show();
    form->CloseBrivaneDialogsIntegrated();
    EXPECT_FALSE(browser.isVisible());
}

TEST_F(BrowserRecordTest, AfterClosingOnlyFinishedRecordsAreStillHandled)
{
    start();
    form->OpenBrivaneDialogsIntegrated();
    TOpenDialogParams *params = control->paramsAddress;
    ASSERT_NE(params, nullptr);
    const auto hook = [params](std::uint32_t code, std::uint64_t wParam) {
        return params->HookProc(0, code, wParam, std::int64_t(reinterpret_cast<std::intptr_t>(params)));
    };
    EXPECT_EQ(hook(bdEventTextFocus, 1), 1u);
    EXPECT_TRUE(form->ActionManager1->isSuspended());
    EXPECT_EQ(hook(bdEventTextFocus, 0), 1u);

    form->CloseBrivaneDialogsIntegrated();
    // The window is being torn down: reports no longer reach it...
    EXPECT_EQ(hook(bdEventTextFocus, 1), 1u);
    EXPECT_FALSE(form->ActionManager1->isSuspended());
    form->SelectedFilesList = { QStringLiteral("/kept.mp3") };
    TOpenDialogResults empty {};
    char16_t none[] = { 0, 0 };
    empty.FileNames = none;
    EXPECT_EQ(hook(bdEventSelection, reinterpret_cast<std::uintptr_t>(&empty)), 1u);
    EXPECT_EQ(form->SelectedFilesList, QStringList { QStringLiteral("/kept.mp3") });
    // ...but a finished record still goes back to the library.
    const std::size_t freed = control->freed.size();
    EXPECT_EQ(hook(bdEventFreeResults, reinterpret_cast<std::uintptr_t>(&empty)), 1u);
    EXPECT_EQ(control->freed.size(), freed + 1);
}

} // namespace
