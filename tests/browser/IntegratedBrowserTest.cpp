#include "BrowserTestSupport.h"
#include "app/ActionManager.h"
#include "app/DialogTreeViewHint.h"
#include "app/Globals.h"
#include "app/UnitMain.h"
#include "app/VantrelApplication.h"
#include "browser/BrivaneDialogsDefs.h"
#include "browser/BrivaneDialogsDynamic.h"
#include "details/MediaInfoLibraryFunctions.h"
#include "platform/KeyStore.h"
#include "platform/WindowMessage.h"
#include "preview/PreviewWorker.h"
#include "support/PendingEvents.h"
#include "support/TempDir.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QString kKey
    = QStringLiteral("Software\\Tarvex\\Brivane Dialogs\\App settings\\{14041EA1-43B5-474A-B7BA-CAE3B9460048}");

// The main window with the real dialog library, in a home of its own so the
// first run for a user is a real first run.
class IntegratedBrowserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DisplayScale = 96;
        ASSERT_TRUE(BrivaneDialogsDynamic().Load()) << "libBrivaneDialogs.so must be built beside the tests";
        music = home.filePath(QStringLiteral("home/Music"));
        QDir().mkpath(music + QStringLiteral("/Sub"));
        for (const char *name : { "b.flac", "a.mp3", "c.wav", "notes.txt" })
            write(QString::fromLatin1(name));
        VantrelApplication::setErrorReporter([this](const QString &message) { errors.append(message); });
    }

    void TearDown() override
    {
        form.reset();
        FreeBrivaneDialogsDynamic();
        VantrelApplication::setErrorReporter({});
    }

    QString write(const QString &name)
    {
        const QString path = music + QLatin1Char('/') + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("audio");
        return path;
    }

    TFormMain &start()
    {
        form = std::make_unique<TFormMain>();
        ShowTreeViewHint = false;
        form->resize(1300, 700);
        return *form;
    }

    // Opens the browser as start-up does and waits for its listing.
    QAbstractItemView *open(int rows)
    {
        form->OpenBrivaneDialogsIntegrated();
        QWidget *window = platform::widgetOf(form->BrivaneDialogsWindow);
        EXPECT_NE(window, nullptr);
        if (!window)
            return nullptr;
        auto *view = window->findChild<QAbstractItemView *>(QStringLiteral("FileListDetails"));
        EXPECT_NE(view, nullptr);
        if (view) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return view->model()->rowCount() == rows; }, 10000))
                << view->model()->rowCount();
        }
        return view;
    }

    int rowOf(QAbstractItemView *view, const QString &name)
    {
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            if (view->model()->index(row, 0).data().toString() == name)
                return row;
        }
        return -1;
    }

    void select(QAbstractItemView *view, const QStringList &names)
    {
        view->selectionModel()->clearSelection();
        for (const QString &name : names) {
            const int row = rowOf(view, name);
            ASSERT_GE(row, 0) << name.toStdString();
            view->selectionModel()->select(
                view->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    TempDir home;
    PrivateHome privateHome { home.filePath(QStringLiteral("home")) };
    QString music;
    std::unique_ptr<TFormMain> form;
    QStringList errors;
};

TEST_F(IntegratedBrowserTest, FirstRunSeedsTheMusicFolderAndTheBrowserOpensThere)
{
    EXPECT_FALSE(platform::KeyStore().keyExists(kKey));
    start();
    EXPECT_EQ(
        platform::KeyStore().readString(kKey, QStringLiteral("Folder")).value_or(QString()), music + QLatin1Char('/'));
    // Sub, a.mp3, b.flac, c.wav: the text file is filtered out.
    QAbstractItemView *view = open(4);
    ASSERT_NE(view, nullptr);
    EXPECT_GE(rowOf(view, QStringLiteral("a.mp3")), 0);
    EXPECT_LT(rowOf(view, QStringLiteral("notes.txt")), 0);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(IntegratedBrowserTest, LaterStartsLeaveTheKeyAloneEvenWithoutItsFolder)
{
    start();
    form.reset();
    platform::KeyStore store;
    ASSERT_TRUE(store.keyExists(kKey));
    ASSERT_TRUE(store.deleteValue(kKey, QStringLiteral("Folder")));
    ASSERT_TRUE(store.writeDword(kKey, QStringLiteral("Filter index"), 0));
    start();
    EXPECT_TRUE(store.keyExists(kKey));
    EXPECT_FALSE(store.readString(kKey, QStringLiteral("Folder")).has_value());
}

TEST_F(IntegratedBrowserTest, SelectionKeepsExistingFilesInReportedOrder)
{
    start();
    QAbstractItemView *view = open(4);
    ASSERT_NE(view, nullptr);
    select(view, { QStringLiteral("Sub"), QStringLiteral("a.mp3"), QStringLiteral("c.wav") });
    form->GetSelectedFilesList();
    EXPECT_EQ(
        form->SelectedFilesList, (QStringList { music + QStringLiteral("/a.mp3"), music + QStringLiteral("/c.wav") }));
    // Back to the normal cursor afterwards.
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Files gone from disk since they were listed drop out silently.
    select(view, { QStringLiteral("a.mp3"), QStringLiteral("b.flac") });
    QFile::remove(music + QStringLiteral("/a.mp3"));
    QFile::remove(music + QStringLiteral("/b.flac"));
    form->GetSelectedFilesList();
    EXPECT_TRUE(form->SelectedFilesList.isEmpty()) << form->SelectedFilesList.join(u',').toStdString();
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(IntegratedBrowserTest, FocusedFileIsRemembered)
{
    start();
    QAbstractItemView *view = open(4);
    ASSERT_NE(view, nullptr);
    view->setCurrentIndex(view->model()->index(rowOf(view, QStringLiteral("b.flac")), 0));
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->FocusedFileName == music + QStringLiteral("/b.flac"); }, 5000))
        << form->FocusedFileName.toStdString();
}

TEST_F(IntegratedBrowserTest, FocusedFileDeletedWhileShownLeavesItsNeighbourUnchosen)
{
    start();
    QAbstractItemView *view = open(4);
    ASSERT_NE(view, nullptr);
    form->CheckBoxPreview->setChecked(true);
    view->setCurrentIndex(view->model()->index(rowOf(view, QStringLiteral("b.flac")), 0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->FocusedFileName == music + QStringLiteral("/b.flac"); }, 5000));

    QFile::remove(music + QStringLiteral("/b.flac"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowOf(view, QStringLiteral("b.flac")) < 0; }, 10000));
    deliverPendingEvents();
    // The focus rests on the neighbour, but nobody chose it: its details
    // are not read and it is not previewed, because it is never reported.
    EXPECT_EQ(form->FocusedFileName, music + QStringLiteral("/b.flac"));
    EXPECT_EQ(view->currentIndex().data().toString(), QStringLiteral("c.wav"));
    EXPECT_FALSE(view->selectionModel()->isSelected(view->currentIndex()));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(IntegratedBrowserTest, TypingInTheBrowsersTextFieldSuspendsTheSpaceBarAction)
{
    start();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QAbstractItemView *view = open(4);
    ASSERT_NE(view, nullptr);
    QWidget *window = platform::widgetOf(form->BrivaneDialogsWindow);
    auto *field = window->findChild<QLineEdit *>();
    ASSERT_NE(field, nullptr);
    field->setFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->ActionManager1->isSuspended(); }, 5000));
    view->setFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form->ActionManager1->isSuspended(); }, 5000));
}

TEST_F(IntegratedBrowserTest, FindAndThePathBarAreReachedFromAnywhereInTheWindow)
{
    start();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    ASSERT_NE(open(4), nullptr);
    QWidget *window = platform::widgetOf(form->BrivaneDialogsWindow);
    const struct
    {
        QKeyCombination keys;
        const char *field;
    } cases[] = {
        { Qt::CTRL | Qt::Key_F, "NameFilterEdit" },
        { Qt::CTRL | Qt::Key_L, "PathEdit" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.field);
        // The focus in the host's own part of the window, outside the browser.
        form->ListViewDetails->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return form->ListViewDetails->hasFocus(); }, 5000));
        QTest::keyClick(form->ListViewDetails, c.keys.key(), c.keys.keyboardModifiers());
        const auto *field = window->findChild<QLineEdit *>(QLatin1String(c.field));
        ASSERT_NE(field, nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }, 5000));
    }
}

TEST_F(IntegratedBrowserTest, HintLinksSwitchTheBrowsersLeftPanelBehindIt)
{
    start();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    ASSERT_NE(open(4), nullptr);
    QWidget *window = platform::widgetOf(form->BrivaneDialogsWindow);
    auto *places = window->findChild<QWidget *>(QStringLiteral("PlacesView"));
    auto *tree = window->findChild<QWidget *>(QStringLiteral("FolderTree"));
    ASSERT_NE(places, nullptr);
    bool treeShown = false;
    bool placesBack = false;
    ShowTreeViewHint = true;
    ModalAnswer answer(QStringLiteral("FormTreeViewHint"), [&](QWidget *widget) {
        auto *hint = static_cast<TFormTreeViewHint *>(widget);
        QTest::mouseClick(hint->LabelTreeView, Qt::LeftButton, {}, hint->LabelTreeView->rect().center());
        tree = window->findChild<QWidget *>(QStringLiteral("FolderTree"));
        treeShown = tree && tree->isVisible() && !places->isVisible();
        QTest::mouseClick(hint->LabelDrivesLocations, Qt::LeftButton, {}, hint->LabelDrivesLocations->rect().center());
        placesBack = places->isVisible() && !tree->isVisible();
        hint->Button1->click();
    });
    form->ShowTreeViewHintOnce();
    EXPECT_TRUE(answer.answered());
    EXPECT_TRUE(treeShown);
    EXPECT_TRUE(placesBack);
}

TEST_F(IntegratedBrowserTest, RequestsBeforeTheBrowserWindowIsKnownSendNothing)
{
    start();
    ASSERT_EQ(form->BrivaneDialogsWindow, 0u);
    form->SelectedFilesList = { QStringLiteral("/earlier/selection.mp3") };
    form->GetSelectedFilesList();
    form->RefitBrivaneDialogs();
    EXPECT_EQ(form->SelectedFilesList, QStringList { QStringLiteral("/earlier/selection.mp3") });
}

TEST_F(IntegratedBrowserTest, ClosingTheWindowClosesTheBrowserWhichKeepsItsFolder)
{
    start();
    QAbstractItemView *view = open(4);
    ASSERT_NE(view, nullptr);
    QPointer<QWidget> browser = platform::widgetOf(form->BrivaneDialogsWindow);
    auto *field = browser->findChild<QLineEdit *>();
    ASSERT_NE(field, nullptr);
    // Somewhere else than where it opened.
    field->setText(music + QStringLiteral("/Sub"));
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->model()->rowCount() == 0; }, 5000));
    form->CloseBrivaneDialogsIntegrated();
    EXPECT_TRUE(!browser || !browser->isVisible());
    EXPECT_EQ(platform::KeyStore().readString(kKey, QStringLiteral("Folder")).value_or(QString()),
        music + QStringLiteral("/Sub/"));
}

// Events handed to the hook's handler as the library would send them.
class BrowserEventsTest : public IntegratedBrowserTest
{
protected:
    void report(const QStringList &names)
    {
        std::u16string list;
        for (const QString &name : names) {
            list += name.toStdU16String();
            list += u'\0';
        }
        list += u'\0';
        TOpenDialogResults results {};
        results.FileCount = std::uint32_t(names.size());
        results.FileNames = list.data();
        form->HandleBrivaneDialogsEvent(bdEventSelection, reinterpret_cast<std::uintptr_t>(&results));
    }
};

TEST_F(BrowserEventsTest, SymbolicLinksToFilesCountFoldersAndDanglingLinksDoNot)
{
    start();
    const QString file = music + QStringLiteral("/a.mp3");
    ASSERT_TRUE(QFile::link(file, music + QStringLiteral("/link.mp3")));
    ASSERT_TRUE(QFile::link(music + QStringLiteral("/gone.mp3"), music + QStringLiteral("/dangling.mp3")));
    ASSERT_TRUE(QFile::link(music + QStringLiteral("/Sub"), music + QStringLiteral("/folderlink")));
    report({ music + QStringLiteral("/Sub"), music + QStringLiteral("/link.mp3"),
        music + QStringLiteral("/dangling.mp3"), music + QStringLiteral("/folderlink"), QString(), file });
    // The empty name ends the list.
    EXPECT_EQ(form->SelectedFilesList, QStringList { music + QStringLiteral("/link.mp3") });

    form->HandleBrivaneDialogsEvent(bdEventSelection, 0);
    EXPECT_TRUE(form->SelectedFilesList.isEmpty());
    TOpenDialogResults nullList {};
    form->SelectedFilesList = { file };
    form->HandleBrivaneDialogsEvent(bdEventSelection, reinterpret_cast<std::uintptr_t>(&nullList));
    EXPECT_TRUE(form->SelectedFilesList.isEmpty());
}

TEST_F(BrowserEventsTest, TextFocusEventSwitchesTheActionListOnlyForZeroAndOne)
{
    start();
    const struct
    {
        std::uint64_t wParam;
        bool suspendedAfter;
    } steps[] = { { 2, false }, { 1, true }, { 2, true }, { 7, true }, { 0, false }, { 0, false } };
    for (const auto &step : steps) {
        form->HandleBrivaneDialogsEvent(bdEventTextFocus, step.wParam);
        EXPECT_EQ(form->ActionManager1->isSuspended(), step.suspendedAfter) << step.wParam;
    }
}

TEST_F(BrowserEventsTest, WindowEventIsRememberedAndOtherCodesChangeNothing)
{
    start();
    form->SelectedFilesList = { QStringLiteral("/kept.mp3") };
    form->HandleBrivaneDialogsEvent(0x9999, 1);
    form->HandleBrivaneDialogsEvent(2051, 1);
    EXPECT_EQ(form->SelectedFilesList, QStringList { QStringLiteral("/kept.mp3") });
    EXPECT_EQ(form->BrivaneDialogsWindow, 0u);
    form->HandleBrivaneDialogsEvent(bdEventWindowCreated, 0x1234);
    EXPECT_EQ(form->BrivaneDialogsWindow, 0x1234u);
    // A handle of no living window: requests go nowhere and change nothing.
    form->GetSelectedFilesList();
    EXPECT_EQ(form->SelectedFilesList, QStringList { QStringLiteral("/kept.mp3") });
}

TEST_F(BrowserEventsTest, CloseRequestClosesTheMainWindow)
{
    start();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->HandleBrivaneDialogsEvent(bdEventCloseRequest, 0);
    EXPECT_FALSE(form->isVisible());
}

// Half a second of a 440 Hz tone as 16-bit mono PCM WAV.
QByteArray toneWav()
{
    const int rate = 44100;
    const int samples = rate / 2;
    QByteArray data;
    for (int i = 0; i < samples; ++i) {
        const auto value = qint16(8000 * std::sin(2 * M_PI * 440 * i / rate));
        data.append(char(value & 0xFF));
        data.append(char((value >> 8) & 0xFF));
    }
    QByteArray wav;
    const auto u32 = [&wav](quint32 v) {
        for (int b = 0; b < 4; ++b)
            wav.append(char((v >> (8 * b)) & 0xFF));
    };
    const auto u16 = [&wav](quint16 v) {
        wav.append(char(v & 0xFF));
        wav.append(char(v >> 8));
    };
    wav.append("RIFF");
    u32(quint32(36 + data.size()));
    wav.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    wav.append("data");
    u32(quint32(data.size()));
    return wav + data;
}

TEST_F(BrowserEventsTest, FocusShowsTheDetailsAndPlaysOnlyWithPreviewOn)
{
    InitializeMediaInfoLibraryFunctions();
    start();
    form->EnsureAudioOutput();
    const QString path = music + QStringLiteral("/tone.wav");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(toneWav());
    }
    const std::u16string name = path.toStdU16String();
    TBDFocusedItem item { name.c_str(), nullptr };

    form->CheckBoxPreview->setChecked(false);
    form->HandleBrivaneDialogsEvent(bdEventFocusChanged, reinterpret_cast<std::uintptr_t>(&item));
    EXPECT_EQ(form->FocusedFileName, path);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->ListViewDetails->topLevelItemCount() > 0; }, 20000));
    EXPECT_EQ(form->PreviewStream, 0u);

    form->ListViewDetails->clear();
    form->CheckBoxPreview->setChecked(true);
    form->HandleBrivaneDialogsEvent(bdEventFocusChanged, reinterpret_cast<std::uintptr_t>(&item));
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->ListViewDetails->topLevelItemCount() > 0; }, 20000));
    // The preview opens the file on its worker; its handle arrives by event.
    form->Preview->waitIdle();
    QCoreApplication::processEvents();
    EXPECT_NE(form->PreviewStream, 0u);
}

// Auto-advance over t1, t2 (tones), t3 (not audio) and t4 (a tone), the last
// rows of the list: each case starts one file and names the files that must
// play after it, in order, and the file the focus must end on.
TEST_F(BrowserEventsTest, AutoAdvancePlaysOnUntilTheListEndsOrAFileCannotPlay)
{
    for (const char *name : { "t1.wav", "t2.wav", "t4.wav" }) {
        QFile file(music + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(toneWav());
    }
    write(QStringLiteral("t3.wav"));
    start();
    QAbstractItemView *view = open(8);
    ASSERT_NE(view, nullptr);
    form->CheckBoxAutoAdvance->setChecked(true);

    const struct
    {
        const char *name;
        bool previewOnSelect;
        const char *start;
        QStringList playedAfter; // the last one cannot be played
        const char *focusedAtTheEnd;
    } cases[] = {
        { "focus plays", true, "t1.wav", { u"t2.wav"_qs, u"t3.wav"_qs }, "t3.wav" },
        { "replayed with focus silent", false, "t1.wav", { u"t2.wav"_qs, u"t3.wav"_qs }, "t3.wav" },
        { "the last file", true, "t4.wav", {}, "t4.wav" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        form->CheckBoxPreview->setChecked(c.previewOnSelect);
        QSignalSpy played(form->Preview, &PreviewWorker::played);
        QSignalSpy ended(form->Preview, &PreviewWorker::ended);
        const QString start = music + QLatin1Char('/') + QLatin1String(c.start);
        view->setCurrentIndex(view->model()->index(rowOf(view, QLatin1String(c.start)), 0));
        ASSERT_EQ(form->FocusedFileName, start);
        if (!c.previewOnSelect)
            form->ReplayFile(start);

        // Every file after the first plays in turn; the one that cannot play
        // gives a 0 handle and nothing after it.
        const int plays = 1 + int(c.playedAfter.size());
        ASSERT_TRUE(QTest::qWaitFor([&] { return played.size() >= plays && ended.size() >= plays - 1; }, 20000))
            << played.size() << " played, " << ended.size() << " ended";
        if (c.playedAfter.isEmpty()) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return ended.size() == 1; }, 20000));
        }
        // Whatever would follow is asked for at the next reading of the
        // preview's progress: have one made and its answers delivered.
        form->Preview->refreshProgress();
        form->Preview->waitIdle();
        deliverPendingEvents();
        QStringList names;
        for (const QList<QVariant> &play : std::as_const(played))
            names.append(QFileInfo(play.at(1).toString()).fileName());
        EXPECT_EQ(names, QStringList { QLatin1String(c.start) } + c.playedAfter);
        if (!c.playedAfter.isEmpty()) {
            EXPECT_EQ(played.last().at(0).toUInt(), 0u) << "the file that is not audio";
        }
        EXPECT_EQ(form->FocusedFileName, music + QLatin1Char('/') + QLatin1String(c.focusedAtTheEnd));
        EXPECT_EQ(view->currentIndex().data().toString(), QLatin1String(c.focusedAtTheEnd));
    }
}

TEST_F(BrowserEventsTest, AutoAdvanceWaitsForNoDialogAndStaysOffUnlessTicked)
{
    const QString tone = music + QStringLiteral("/0tone.wav");
    {
        QFile file(tone);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(toneWav());
    }
    start();
    QAbstractItemView *view = open(5);
    ASSERT_NE(view, nullptr);
    form->CheckBoxPreview->setChecked(false);

    const struct
    {
        const char *name;
        bool ticked;
        bool dialogOpen;
    } cases[] = { { "not ticked", false, false }, { "behind a dialog", true, true } };
    // a.mp3 comes after it in the list, so an advance would be seen.
    view->setCurrentIndex(view->model()->index(rowOf(view, QStringLiteral("0tone.wav")), 0));
    ASSERT_EQ(form->FocusedFileName, tone);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        form->CheckBoxAutoAdvance->setChecked(c.ticked);
        QSignalSpy ended(form->Preview, &PreviewWorker::ended);
        form->ReplayFile(tone);
        QDialog dialog(form.get());
        if (c.dialogOpen)
            dialog.open();
        ASSERT_TRUE(QTest::qWaitFor([&] { return ended.size() == 1; }, 20000));
        deliverPendingEvents();
        EXPECT_EQ(form->FocusedFileName, tone);
        dialog.close();
    }
}

TEST(BrowserWithoutLibraryTest, PanelExplainsWhatIsMissingAndTheRestWorks)
{
    TempDir home;
    PrivateHome privateHome(home.filePath(QStringLiteral("home")));
    FreeBrivaneDialogsDynamic();
    TFormMain form;
    ShowTreeViewHint = false;
    form.OpenBrivaneDialogsIntegrated();
    ASSERT_NE(form.LabelBrowserUnavailable, nullptr);
    EXPECT_TRUE(form.LabelBrowserUnavailable->text().contains(QStringLiteral("libBrivaneDialogs.so")));
    EXPECT_EQ(form.LabelBrowserUnavailable->parentWidget(), form.PanelBrivaneDialogs);
    EXPECT_EQ(form.BrivaneDialogsWindow, 0u);
    form.SelectedFilesList = { QStringLiteral("/x.mp3") };
    form.GetSelectedFilesList();
    EXPECT_EQ(form.SelectedFilesList, QStringList { QStringLiteral("/x.mp3") });
    // The seeding does not need the library.
    EXPECT_TRUE(platform::KeyStore().keyExists(kKey));
}

} // namespace
