#include "BrowserTestSupport.h"
#include "StubBrivaneDialogs.h"
#include "browser/BrivaneDialogsDefs.h"
#include "platform/KeyStore.h"
#include "support/TempDir.h"
#include "util/VantrelError.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

const QString kGuid = QStringLiteral("{C35263F7-648F-4F47-B963-82A465E69E5D}");

// The component bound to the recording stand-in of the library.
class ComponentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString path = binaryDir() + QStringLiteral("/bin/libStubBrivaneDialogsFull.so");
        ASSERT_TRUE(BrivaneDialogsDefsBinding().LoadFrom(path));
        void *stub = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_NOLOAD);
        ASSERT_NE(stub, nullptr);
        control = reinterpret_cast<StubControlFunction>(::dlsym(stub, "StubBrivaneDialogs_Control"))();
        ::dlclose(stub);
        *control = StubControl {};
        dialog.setDialogType(bvdtFolderDialog);
        dialog.setDialogGUID(kGuid);
    }

    void TearDown() override { FreeBrivaneDialogsDefs(); }

    StubControl *control = nullptr;
    TBrivaneDialog dialog;
};

TEST_F(ComponentTest, StyleWindowsSendsNoAppearanceAnotherStyleSendsOnlyItsName)
{
    control->names = { u"/music/" };
    dialog.setStyle(bdsWindows);
    EXPECT_TRUE(dialog.Execute());
    EXPECT_FALSE(control->appearanceSent);

    dialog.setStyle(bdsCharcoalDarkSlate);
    EXPECT_TRUE(dialog.Execute());
    EXPECT_TRUE(control->appearanceSent);
    EXPECT_EQ(control->style, u"Charcoal Dark Slate");
    EXPECT_TRUE(control->appearanceOtherFieldsZero);
    // Still readable after a results record was freed mid-dialog.
    EXPECT_EQ(control->styleAfterFreeEvent, u"Charcoal Dark Slate");
    EXPECT_EQ(dialog.Params.Appearance, nullptr);
}

TEST_F(ComponentTest, DpiScalingZeroSendsNoExtraParametersAndAnyOtherValueOneLine)
{
    control->names = { u"/music/" };
    dialog.setUIDPIScaling(0);
    dialog.Execute();
    EXPECT_FALSE(control->additionalSent);

    dialog.setUIDPIScaling(120);
    dialog.Execute();
    EXPECT_TRUE(control->additionalSent);
    EXPECT_EQ(control->additional, u"UIDPIScaling=120");
}

TEST_F(ComponentTest, RecordCarriesTheComponentsPropertiesAndNothingElse)
{
    control->names = { u"/a/b.flac" };
    dialog.setDialogType(bvdtSaveDialog);
    dialog.setOptions(ofOverwritePrompt | ofNoChangeDir);
    dialog.setOptionsEx(ofExNoPlacesBar);
    dialog.setFilter(QStringLiteral("FLAC|*.flac|All|*.*"));
    dialog.setDialogTitle(QStringLiteral("Save as"));
    dialog.setDefaultExt(QStringLiteral("flac"));
    EXPECT_TRUE(dialog.Execute());

    EXPECT_EQ(control->entry, "save");
    const TOpenDialogParams &p = control->params;
    EXPECT_EQ(p.Options, TOpenOptions(ofOverwritePrompt | ofNoChangeDir));
    EXPECT_EQ(p.OptionsEx, TOpenOptionsEx(ofExNoPlacesBar));
    EXPECT_EQ(p.DialogType, bvdtSaveDialog);
    EXPECT_EQ(p.FilterIndex, 0);
    EXPECT_EQ(p.HelpContext, 0);
    EXPECT_EQ(p.ParentWindow, 0u);
    EXPECT_EQ(p.User, &dialog);
    EXPECT_EQ(GUIDToString(p.DialogGUID), kGuid);
    EXPECT_EQ(p.FileInfoHookProc, nullptr);
    EXPECT_EQ(p.FileThumbnailHookProc, nullptr);
    EXPECT_EQ(p.FileInfoColumnName, nullptr);
    // Texts not given are empty strings, never null.
    EXPECT_TRUE(control->textsNonNull);
    EXPECT_EQ(control->filters, u"FLAC|*.flac|All|*.*");
    EXPECT_EQ(control->title, u"Save as");
    EXPECT_EQ(control->defaultExt, u"flac");
    EXPECT_EQ(control->initialDir, u"");
    // Every event is answered with 1, unknown ones too.
    for (std::uint32_t answer : control->hookResults)
        EXPECT_EQ(answer, 1u);
}

TEST_F(ComponentTest, EntryPointFollowsTheDialogTypeAndItsResultIsReturned)
{
    const struct
    {
        TBVDialogType type;
        const char *entry;
    } cases[] = { { bvdtOpenDialog, "open" }, { bvdtSaveDialog, "save" }, { bvdtFolderDialog, "folder" } };
    for (const auto &c : cases) {
        dialog.setDialogType(c.type);
        control->result = 1;
        EXPECT_TRUE(dialog.Execute());
        EXPECT_EQ(control->entry, c.entry);
        control->result = 0;
        EXPECT_FALSE(dialog.Execute());
    }
    const int calls = control->calls;
    dialog.setDialogType(TBVDialogType(7));
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(control->calls, calls);
}

TEST_F(ComponentTest, SelectionOfThreeFillsFilesAndTheFirstBecomesFileName)
{
    control->names = { u"/m/one.mp3", u"/m/two.mp3", u"/m/three.mp3" };
    QStringList reported;
    dialog.OnSelectFileNames = [&](TBrivaneDialog *sender, const QStringList &names, void *pidl) {
        EXPECT_EQ(sender, &dialog);
        EXPECT_EQ(pidl, nullptr);
        reported = names;
    };
    dialog.setDialogType(bvdtOpenDialog);
    EXPECT_TRUE(dialog.Execute());
    const QStringList expected { QStringLiteral("/m/one.mp3"), QStringLiteral("/m/two.mp3"),
        QStringLiteral("/m/three.mp3") };
    EXPECT_EQ(dialog.Files(), expected);
    EXPECT_EQ(reported, expected);
    EXPECT_EQ(dialog.FileName(), QStringLiteral("/m/one.mp3"));
    EXPECT_EQ(dialog.BrivaneDialogHandle, 0x5151u);
    // The results record went back to the library.
    ASSERT_EQ(control->freed.size(), 1u);
}

TEST_F(ComponentTest, SingleNameComesFromFileNameAndEmptySelectionKeepsThePreviousName)
{
    control->names = { u"/m/only.wav" };
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Files(), QStringList { QStringLiteral("/m/only.wav") });
    EXPECT_EQ(dialog.FileName(), QStringLiteral("/m/only.wav"));

    control->names.clear();
    control->result = 0;
    bool called = false;
    dialog.OnSelectFileNames = [&](TBrivaneDialog *, const QStringList &, void *) { called = true; };
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(dialog.Files().isEmpty());
    EXPECT_EQ(dialog.FileName(), QStringLiteral("/m/only.wav"));
    EXPECT_FALSE(called);
}

TEST_F(ComponentTest, FocusReportsReachTheHandler)
{
    control->focusName = u"/m/focused.ogg";
    QString focused;
    dialog.OnSelectFileName = [&](TBrivaneDialog *, const QString &name, void *) { focused = name; };
    dialog.Execute();
    EXPECT_EQ(focused, QStringLiteral("/m/focused.ogg"));
}

TEST_F(ComponentTest, HandlerErrorSurfacesAfterTheDialogReturned)
{
    control->names = { u"/m/a.mp3", u"/m/b.mp3" };
    dialog.OnSelectFileNames
        = [](TBrivaneDialog *, const QStringList &, void *) { throw VantrelError(QStringLiteral("handler failed")); };
    try {
        dialog.Execute();
        ADD_FAILURE() << "no error";
    } catch (const VantrelError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("handler failed"));
    }
    // The dialog ran to its end: every event reached the hook.
    EXPECT_EQ(control->hookResults.size(), 4u);
}

TEST_F(ComponentTest, SettingsWindowAndFilterIndex)
{
    EXPECT_TRUE(dialog.Settings());
    dialog.setFilterIndex(3);
    EXPECT_EQ(dialog.FilterIndex(), 3);
    EXPECT_EQ(dialog.Params.FilterIndex, 3);
    dialog.Execute();
    // Every run starts with no filter chosen.
    EXPECT_EQ(control->params.FilterIndex, 0);
}

TEST(ComponentPropertiesTest, GuidTextRoundTripsAndBadTextKeepsThePreviousGuid)
{
    TBrivaneDialog dialog;
    dialog.setDialogGUID(QStringLiteral("{c35263f7-648f-4f47-b963-82a465e69e5d}"));
    EXPECT_EQ(dialog.DialogGUID(), kGuid);
    for (const char *bad : { "C35263F7-648F-4F47-B963-82A465E69E5D", "{C35263F7-648F-4F47-B963-82A465E69E5}",
             "{C35263F7+648F-4F47-B963-82A465E69E5D}", "{G35263F7-648F-4F47-B963-82A465E69E5D}", "" }) {
        EXPECT_THROW(dialog.setDialogGUID(QString::fromLatin1(bad)), VantrelError) << bad;
        EXPECT_EQ(dialog.DialogGUID(), kGuid);
    }
}

TEST(ComponentPropertiesTest, StyleNamesTable)
{
    EXPECT_EQ(BDStyleName(bdsWindows), QStringLiteral("Windows"));
    EXPECT_EQ(BDStyleName(bdsAmethystKamri), QStringLiteral("Amethyst Kamri"));
    EXPECT_EQ(BDStyleName(bdsLuna), QStringLiteral("Luna"));
    EXPECT_EQ(BDStyleName(bdsWindows10), QStringLiteral("Windows10"));
    EXPECT_EQ(BDStyleName(bdsWindows10SlateGray), QStringLiteral("Windows10 SlateGray"));
    EXPECT_EQ(BDStyleName(TBDStyle(36)), QString());
    TBrivaneDialog dialog;
    dialog.setStyle(bdsSmokeyQuartzKamri);
    EXPECT_EQ(std::u16string(dialog.GetUseStyle()), u"Smokey Quartz Kamri");
    dialog.setStyle(TBDStyle(200));
    EXPECT_EQ(std::u16string(dialog.GetUseStyle()), u"");
}

// Without the library the component falls back to Qt's dialogs and keeps
// the remembered state in the key store itself.
class FallbackTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FreeBrivaneDialogsDefs();
        dialog.setDialogType(bvdtFolderDialog);
        dialog.setDialogGUID(kGuid);
    }

    QString key() const { return BrivaneDialogsSettingsKey(kGuid); }

    TempDir home;
    PrivateHome privateHome { home.filePath(QStringLiteral("home")) };
    TempDir dir;
    TBrivaneDialog dialog;
};

TEST_F(FallbackTest, ConfirmedFolderIsRememberedWithFilterIndexMinusOne)
{
    const QString folder = dir.mkdir(QStringLiteral("Target folder"));
    ModalAnswer answer(QStringLiteral("FolderBrowser"), [&](QWidget *widget) {
        auto *browser = static_cast<QFileDialog *>(widget);
        browser->setDirectory(folder);
        static_cast<QDialog *>(browser)->accept();
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_TRUE(answer.answered());
    EXPECT_EQ(dialog.FileName(), folder + QLatin1Char('/'));
    EXPECT_EQ(dialog.Path(), folder + QLatin1Char('/'));
    EXPECT_EQ(dialog.Files(), QStringList { folder + QLatin1Char('/') });
    EXPECT_EQ(dialog.Results.FileCount, 1u);

    const platform::KeyStore store;
    EXPECT_EQ(store.readString(key(), QStringLiteral("Folder")).value_or(QString()), folder + QLatin1Char('/'));
    EXPECT_EQ(store.readDword(key(), QStringLiteral("Filter index")).value_or(0), 4294967295u);
}

TEST_F(FallbackTest, CancelledFolderBrowserEmptiesFileNameAndWritesNothing)
{
    dialog.setFileName(QStringLiteral("/previous/"));
    ModalAnswer answer(
        QStringLiteral("FolderBrowser"), [](QWidget *widget) { static_cast<QDialog *>(widget)->reject(); });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(answer.answered());
    EXPECT_EQ(dialog.FileName(), QString());
    EXPECT_TRUE(dialog.Files().isEmpty());
    EXPECT_FALSE(platform::KeyStore().keyExists(key()));
}

TEST_F(FallbackTest, RememberedFolderIsWhereTheNextBrowserOpens)
{
    const QString folder = dir.mkdir(QStringLiteral("Remembered"));
    ASSERT_TRUE(platform::KeyStore().createKey(key()));
    ASSERT_TRUE(platform::KeyStore().writeString(key(), QStringLiteral("Folder"), folder + QLatin1Char('/')));
    QString openedIn;
    ModalAnswer answer(QStringLiteral("FolderBrowser"), [&](QWidget *widget) {
        auto *browser = static_cast<QFileDialog *>(widget);
        openedIn = browser->directory().absolutePath();
        browser->reject();
    });
    dialog.Execute();
    EXPECT_EQ(openedIn, folder);
}

TEST_F(FallbackTest, OpenDialogReturnsEveryChosenNameAndItsFilter)
{
    const QString a = dir.write(QStringLiteral("a.flac"), "a");
    const QString b = dir.write(QStringLiteral("b.flac"), "b");
    dialog.setDialogType(bvdtOpenDialog);
    dialog.setOptions(ofAllowMultiSelect | ofFileMustExist);
    dialog.setFilter(QStringLiteral("MP3|*.mp3|FLAC|*.flac"));
    dialog.setInitialDir(dir.path());
    ModalAnswer answer(QStringLiteral("DefWinOpenDialog"), [&](QWidget *widget) {
        auto *open = static_cast<QFileDialog *>(widget);
        EXPECT_EQ(open->fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(open->directory().absolutePath(), QDir(dir.path()).absolutePath());
        open->selectNameFilter(QStringLiteral("FLAC (*.flac)"));
        open->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("\"a.flac\" \"b.flac\""));
        static_cast<QDialog *>(open)->accept();
    });
    EXPECT_TRUE(dialog.Execute());
    ASSERT_TRUE(answer.answered());
    EXPECT_EQ(dialog.Files(), (QStringList { a, b }));
    EXPECT_EQ(dialog.FileName(), a);
    EXPECT_EQ(dialog.Path(), dir.path() + QLatin1Char('/'));
    EXPECT_EQ(dialog.FilterIndex(), 1);
    EXPECT_EQ(dialog.Results.FileCount, 2u);
    EXPECT_EQ(platform::KeyStore().readDword(key(), QStringLiteral("Filter index")).value_or(99), 1u);
}

} // namespace
