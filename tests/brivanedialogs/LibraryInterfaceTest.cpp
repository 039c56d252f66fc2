#include "DialogHost.h"
#include "platform/KeyStore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>

namespace {

template<typename Record> std::uint64_t bytesAt(const Record &record, std::size_t offset, std::size_t width)
{
    std::uint64_t value = 0;
    std::memcpy(&value, reinterpret_cast<const unsigned char *>(&record) + offset, width);
    return value;
}

} // namespace

TEST(DialogRecords, ParamsFieldsSitAtTheirOffsets)
{
    TOpenDialogParams params {};
    params.DefaultExt = reinterpret_cast<const char16_t *>(0x1111);
    params.FileName = reinterpret_cast<const char16_t *>(0x2222);
    params.Filters = reinterpret_cast<const char16_t *>(0x3333);
    params.FilterIndex = -2;
    params.HelpContext = 7;
    params.InitialDir = reinterpret_cast<const char16_t *>(0x4444);
    params.Options = 0x01B80040;
    params.OptionsEx = 0x0400;
    params.Title = reinterpret_cast<const char16_t *>(0x5555);
    params.ParentWindow = 0x6666;
    params.DialogGUID = testGuid();
    params.HookProc = &DialogHost::hook;
    params.DialogType = bvdtFolderDialog;
    params.User = reinterpret_cast<void *>(0x7777);
    params.Appearance = reinterpret_cast<TOpenDialogAppearance *>(0x8888);
    params.AdditionalParameters = reinterpret_cast<const char16_t *>(0x9999);

    const struct
    {
        std::size_t offset, width;
        std::uint64_t expected;
    } fields[] = {
        { 0, 8, 0x1111 },
        { 8, 8, 0x2222 },
        { 16, 8, 0x3333 },
        { 24, 4, 0xFFFFFFFE },
        { 28, 4, 7 },
        { 32, 8, 0x4444 },
        { 40, 4, 0x01B80040 },
        { 44, 2, 0x0400 },
        { 46, 2, 0 },
        { 48, 8, 0x5555 },
        { 56, 8, 0x6666 },
        { 64, 4, 0x14041EA1 },
        { 68, 2, 0x43B5 },
        { 70, 2, 0x474A },
        { 72, 8, 0x480046B9E3CABAB7 },
        { 80, 8, std::uint64_t(reinterpret_cast<std::uintptr_t>(&DialogHost::hook)) },
        { 88, 1, 2 },
        { 89, 7, 0 },
        { 96, 8, 0x7777 },
        { 104, 8, 0 },
        { 112, 8, 0 },
        { 120, 8, 0 },
        { 128, 8, 0x8888 },
        { 136, 8, 0x9999 },
    };
    EXPECT_EQ(sizeof(params), 144u);
    for (const auto &field : fields)
        EXPECT_EQ(bytesAt(params, field.offset, field.width), field.expected) << "offset " << field.offset;
}

TEST(DialogRecords, ResultsAndAppearanceFieldsSitAtTheirOffsets)
{
    TOpenDialogResults results {};
    results.Successfull = 1;
    results.FileName = reinterpret_cast<char16_t *>(0x1234);
    results.FileNameSize = 5;
    results.FileCount = 3;
    results.FileNames = reinterpret_cast<char16_t *>(0x5678);
    results.FileNamesSize = 9;
    results.FilterIndex = -1;
    EXPECT_EQ(sizeof(results), 56u);
    EXPECT_EQ(bytesAt(results, 0, 4), 1u);
    EXPECT_EQ(bytesAt(results, 8, 8), 0x1234u);
    EXPECT_EQ(bytesAt(results, 16, 8), 5u);
    EXPECT_EQ(bytesAt(results, 24, 4), 3u);
    EXPECT_EQ(bytesAt(results, 32, 8), 0x5678u);
    EXPECT_EQ(bytesAt(results, 40, 8), 9u);
    EXPECT_EQ(bytesAt(results, 48, 4), 0xFFFFFFFFu);

    TOpenDialogAppearance appearance {};
    appearance.ListerGridLines = 1;
    appearance.ListerSelectionAlpha = 0xAB;
    appearance.ListerSelectionGradientTopColor = 0x00C0FFEE;
    appearance.ListerHotTrackAlpha = 0xCD;
    appearance.ListerHotTrackFrameColor = 0x00BEEF00;
    appearance.VCLStyleTheme = reinterpret_cast<char16_t *>(0x4242);
    EXPECT_EQ(sizeof(appearance), 80u);
    EXPECT_EQ(bytesAt(appearance, 16, 4), 1u);
    EXPECT_EQ(bytesAt(appearance, 40, 4), 0xABu); // alpha then three zero bytes
    EXPECT_EQ(bytesAt(appearance, 44, 4), 0x00C0FFEEu);
    EXPECT_EQ(bytesAt(appearance, 56, 4), 0xCDu);
    EXPECT_EQ(bytesAt(appearance, 68, 4), 0x00BEEF00u);
    EXPECT_EQ(bytesAt(appearance, 72, 8), 0x4242u);
}

TEST(DialogLibrary, LoadsByNameAndExportsOnlyTheFiveEntryPoints)
{
    DialogHost host;
    ASSERT_TRUE(host.loaded()) << dlerror();
    EXPECT_NE(host.openDialog, nullptr);
    EXPECT_NE(host.saveDialog, nullptr);
    EXPECT_NE(host.folderDialog, nullptr);
    EXPECT_NE(host.settingsWindow, nullptr);
    EXPECT_NE(host.freeDialogResults, nullptr);
    // Internal names stay hidden, so two copies of the platform code (the
    // program's and the library's) never bind to each other.
    EXPECT_EQ(dlsym(host.handle(), "_ZN2bd11freeResultsEP18TOpenDialogResults"), nullptr);
    EXPECT_EQ(dlsym(host.handle(), "_ZN8platform8handleOfEPK7QWidget"), nullptr);
}

TEST(DialogLibrary, RejectsCallsItCannotServe)
{
    DialogHost host;
    ASSERT_TRUE(host.loaded());
    TOpenDialogResults stray {};
    EXPECT_EQ(host.freeDialogResults(&stray), 0) << "an address the library never handed out";
    EXPECT_EQ(host.freeDialogResults(nullptr), 0);
    EXPECT_EQ(host.openDialog(nullptr, nullptr), 0);

    // An embedded browser for a window that does not exist: nothing is created.
    HostRecords records;
    records.setIntegrated(nullptr, QString());
    records.params.ParentWindow = 0x1234;
    EXPECT_EQ(host.openDialog(&records.params, &records.results), 0);
    EXPECT_TRUE(DialogHost::events().empty());
}

TEST(DialogLibrary, SettingsWindowStoresOnOkOnly)
{
    DialogHost host;
    ASSERT_TRUE(host.loaded());
    const QString key = QStringLiteral("Software\\Tarvex\\Brivane Dialogs\\Settings");
    struct Case
    {
        bool pressOk;
        int expectedResult;
        QString expectedHidden;
    };
    const Case cases[] = { { false, 0, QString() }, { true, 1, QStringLiteral("1") } };
    ASSERT_TRUE(platform::KeyStore().deleteValue(key, QStringLiteral("Show hidden files")));
    for (const Case &c : cases) {
        QTimer::singleShot(0, [&] {
            (void)QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 3000);
            QWidget *dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QCheckBox *>(QStringLiteral("ShowHiddenCheckBox"))->setChecked(true);
            dialog
                ->findChild<QAbstractButton *>(c.pressOk ? QStringLiteral("OKButton") : QStringLiteral("CancelButton"))
                ->click();
        });
        EXPECT_EQ(host.settingsWindow(0), c.expectedResult);
        EXPECT_EQ(platform::KeyStore().readString(key, QStringLiteral("Show hidden files")).value_or(QString()),
            c.expectedHidden);
    }
    EXPECT_TRUE(platform::KeyStore().deleteValue(key, QStringLiteral("Show hidden files")));
}
