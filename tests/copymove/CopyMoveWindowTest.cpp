#include "CopyMoveTestSupport.h"
#include "app/FileOperationDialogs.h"
#include "app/Globals.h"
#include "app/UnitMain.h"
#include "app/VantrelApplication.h"
#include "browser/BrivaneDialogsDefs.h"
#include "browser/BrowserTestSupport.h"
#include "support/TempDir.h"
#include "util/VantrelError.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// The main window without the dialog library: the selection is whatever
// SelectedFilesList holds, as before the browser reports its window.
class CopyMoveWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DisplayScale = 96;
        FreeBrivaneDialogsDefs();
        VantrelApplication::setErrorReporter([this](const QString &message) { errors.append(message); });
        form = std::make_unique<TFormMain>();
        ShowTreeViewHint = false;
    }
    void TearDown() override
    {
        form.reset();
        VantrelApplication::setErrorReporter({});
    }

    QString file(const QString &name, const QByteArray &bytes = "audio")
    {
        const QString path = dir.filePath(QStringLiteral("music/") + name);
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }

    TempDir home;
    PrivateHome privateHome { home.filePath(QStringLiteral("home")) };
    TempDir dir;
    std::unique_ptr<TFormMain> form;
    QStringList errors;
};

TEST_F(CopyMoveWindowTest, EachButtonUsesItsOwnRowsFolderAndOperation)
{
    struct Row
    {
        QPushButton *TFormMain::*button;
        QLineEdit *TFormMain::*edit;
        bool move;
    };
    const Row rows[] = { { &TFormMain::Button2, &TFormMain::EditFolder1, false },
        { &TFormMain::Button3, &TFormMain::EditFolder1, true }, { &TFormMain::Button5, &TFormMain::EditFolder2, false },
        { &TFormMain::Button6, &TFormMain::EditFolder2, true }, { &TFormMain::Button8, &TFormMain::EditFolder3, false },
        { &TFormMain::Button9, &TFormMain::EditFolder3, true } };
    int number = 0;
    for (const Row &row : rows) {
        ++number;
        const QString name = QStringLiteral("song%1.mp3").arg(number);
        const QString source = file(name);
        // Two levels below an existing folder, and different for every row.
        form->EditFolder1->setText(dir.filePath(QStringLiteral("row1/%1/deeper").arg(number)));
        form->EditFolder2->setText(dir.filePath(QStringLiteral("row2/%1/deeper").arg(number)));
        form->EditFolder3->setText(dir.filePath(QStringLiteral("row3/%1/deeper").arg(number)));
        form->SelectedFilesList = { source };
        (form.get()->*row.button)->click();

        const QString folder = (form.get()->*row.edit)->text();
        EXPECT_EQ(readFile(folder + QLatin1Char('/') + name), QByteArray("audio")) << number;
        EXPECT_EQ(QFileInfo::exists(source), !row.move) << number;
        for (QLineEdit *other : { form->EditFolder1, form->EditFolder2, form->EditFolder3 }) {
            if (other != form.get()->*row.edit) {
                EXPECT_FALSE(QFileInfo::exists(other->text())) << number;
            }
        }
        // The selection list is not cleared by a transfer.
        EXPECT_EQ(form->SelectedFilesList, QStringList { source });
    }
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(CopyMoveWindowTest, EmptySelectionCreatesTheFolderAndShowsNothing)
{
    ShownWindows shown;
    const QString folder = dir.filePath(QStringLiteral("new/nested"));
    form->EditFolder1->setText(folder);
    form->Button2->click();
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(entriesOf(folder).isEmpty());
    EXPECT_TRUE(shown.names().isEmpty()) << shown.names().join(u',').toStdString();
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(CopyMoveWindowTest, TrailingDelimiterAndExistingFolderAreUsedAsTyped)
{
    ShownWindows shown;
    const QString folder = dir.mkdir(QStringLiteral("existing"));
    form->EditFolder3->setText(folder + QLatin1Char('/'));
    form->SelectedFilesList = { file(QStringLiteral("a.flac"), "aaa"), file(QStringLiteral("b.flac"), "bbb") };
    form->Button9->click();
    EXPECT_EQ(entriesOf(folder), (QStringList { QStringLiteral("a.flac"), QStringLiteral("b.flac") }));
    EXPECT_EQ(readFile(folder + QStringLiteral("/b.flac")), QByteArray("bbb"));
    EXPECT_TRUE(shown.names().isEmpty()) << shown.names().join(u',').toStdString();
}

TEST_F(CopyMoveWindowTest, PlaceholderTextRaisesUnableToCreateDirectoryThroughTheGeneralHandler)
{
    const QString source = file(QStringLiteral("keep.mp3"));
    form->SelectedFilesList = { source };
    ASSERT_EQ(form->EditFolder1->text(), QStringLiteral("Select a folder..."));
    try {
        form->Button2Click();
        ADD_FAILURE() << "no error";
    } catch (const VantrelError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Unable to create directory"));
    }

    // Pressed for real, the error reaches the application's error box.
    form->ToolButton4->setChecked(true);
    form->ToolButton4Click();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QTest::mouseClick(form->Button3, Qt::LeftButton);
    EXPECT_EQ(errors, QStringList { QStringLiteral("Unable to create directory") });
    EXPECT_EQ(readFile(source), QByteArray("audio"));
}

// The box for a folder that cannot be made, answered from inside its loop.
void expectFolderErrorBox(TFormMain &form, const QString &folder)
{
    QString text;
    QList<QString> buttons;
    bool critical = false;
    ModalAnswer answer(QStringLiteral("FolderErrorMessageBox"), [&](QWidget *widget) {
        auto *box = static_cast<QMessageBox *>(widget);
        text = box->text();
        critical = box->icon() == QMessageBox::Critical;
        for (QAbstractButton *button : box->buttons())
            buttons.append(button->text());
        box->button(QMessageBox::Cancel)->click();
    });
    form.EditFolder2->setText(folder);
    form.Button5->click();
    EXPECT_TRUE(answer.answered());
    EXPECT_EQ(text, QStringLiteral("Error while creating folder: \n") + folder);
    EXPECT_TRUE(critical);
    EXPECT_EQ(buttons, QList<QString> { QStringLiteral("Cancel") });
}

TEST_F(CopyMoveWindowTest, FolderThatCannotBeMadeShowsTheBoxAndTransfersNothing)
{
    const QString source = file(QStringLiteral("stay.mp3"));
    form->SelectedFilesList = { source };
    const QString blocker = file(QStringLiteral("not a folder"));
    expectFolderErrorBox(*form, blocker + QStringLiteral("/sub/folder"));
    EXPECT_EQ(readFile(source), QByteArray("audio"));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(CopyMoveWindowTest, FolderWithoutPermissionShowsTheBoxAsAnUnprivilegedUser)
{
    if (!runningAsNobody()) {
        const NobodyRun run
            = runAsNobody(QStringLiteral("CopyMoveWindowTest.FolderWithoutPermissionShowsTheBoxAsAnUnprivilegedUser"));
        if (!run.ran)
            GTEST_SKIP() << run.skipReason.toStdString();
        EXPECT_TRUE(run.passed()) << run.output.toStdString();
        return;
    }
    ASSERT_NE(::geteuid(), 0u);
    const QString source = file(QStringLiteral("stay.mp3"));
    form->SelectedFilesList = { source };
    const QString locked = dir.mkdir(QStringLiteral("locked"));
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    expectFolderErrorBox(*form, locked + QStringLiteral("/new/deeper"));
    EXPECT_TRUE(entriesOf(locked).isEmpty());
    EXPECT_EQ(readFile(source), QByteArray("audio"));
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

struct ConflictAnswerCase
{
    const char *name;
    const char *button; // null: Escape
    QByteArray expected;
};

class WindowConflictTest : public CopyMoveWindowTest, public ::testing::WithParamInterface<ConflictAnswerCase>
{
};

TEST_P(WindowConflictTest, NameConflictIsAskedAndOnlyReplaceOverwrites)
{
    const QString folder = dir.mkdir(QStringLiteral("target"));
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/clash.mp3"), "existing"));
    form->SelectedFilesList = { file(QStringLiteral("clash.mp3"), "incoming") };
    form->EditFolder1->setText(folder);
    QString question;
    ModalAnswer answer(QStringLiteral("FormFileConflict"), [&](QWidget *widget) {
        auto *dialog = static_cast<TFormFileConflict *>(widget);
        question = dialog->LabelQuestion->text();
        // Nothing is touched while the question is open.
        EXPECT_EQ(readFile(folder + QStringLiteral("/clash.mp3")), QByteArray("existing"));
        if (GetParam().button)
            dialog->findChild<QPushButton *>(QString::fromLatin1(GetParam().button))->click();
        else
            QTest::keyClick(dialog, Qt::Key_Escape);
    });
    form->Button2->click();
    ASSERT_TRUE(answer.answered());
    EXPECT_TRUE(question.contains(QStringLiteral("\"clash.mp3\""))) << question.toStdString();
    EXPECT_EQ(readFile(folder + QStringLiteral("/clash.mp3")), GetParam().expected);
    EXPECT_EQ(QFileInfo::exists(folder + QStringLiteral("/clash (2).mp3")), QByteArray(GetParam().name) == "KeepBoth");
}

INSTANTIATE_TEST_SUITE_P(Answers, WindowConflictTest,
    ::testing::Values(ConflictAnswerCase { "Skip", "ButtonSkip", "existing" },
        ConflictAnswerCase { "Cancel", "ButtonCancel", "existing" },
        ConflictAnswerCase { "Escape", nullptr, "existing" },
        ConflictAnswerCase { "KeepBoth", "ButtonKeepBoth", "existing" },
        ConflictAnswerCase { "Replace", "ButtonReplace", "incoming" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(CopyMoveWindowTest, OpenQuestionHoldsTheProgressWindowBackAndTheWindowKeepsWorking)
{
    // The transfer waits on a conflict question for longer than the progress
    // window's delay; meanwhile the GUI thread must go on handling events,
    // and the progress window must not come up over the question.
    const QString folder = dir.mkdir(QStringLiteral("slow"));
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/first.mp3"), "existing"));
    form->SelectedFilesList
        = { file(QStringLiteral("first.mp3"), "incoming"), file(QStringLiteral("second.mp3"), "2") };
    form->EditFolder1->setText(folder);
    int ticks = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { ++ticks; });
    heartbeat.start(10);
    bool progressShown = false;
    ModalAnswer answer(QStringLiteral("FormFileConflict"), [&](QWidget *widget) {
        QTest::qWait(900);
        for (QWidget *window : QApplication::topLevelWidgets())
            progressShown |= window->objectName() == QStringLiteral("FormFileOperationProgress") && window->isVisible();
        widget->findChild<QPushButton *>(QStringLiteral("ButtonSkip"))->click();
    });
    form->Button2->click();
    EXPECT_TRUE(answer.answered());
    EXPECT_FALSE(progressShown);
    EXPECT_GT(ticks, 20);
    EXPECT_EQ(readFile(folder + QStringLiteral("/first.mp3")), QByteArray("existing"));
    EXPECT_EQ(readFile(folder + QStringLiteral("/second.mp3")), QByteArray("2"));
    // Gone once the transfer is over: nothing is shown after it.
    for (QWidget *window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->objectName() == QStringLiteral("FormFileOperationProgress") && window->isVisible());
}

TEST_F(CopyMoveWindowTest, PickerFillsItsOwnEditWithOneTrailingDelimiterAndCancelLeavesIt)
{
    const QString folder = dir.mkdir(QStringLiteral("picked"));
    ModalAnswer pick(QStringLiteral("FolderBrowser"), [&](QWidget *widget) {
        static_cast<QFileDialog *>(widget)->setDirectory(folder);
        static_cast<QDialog *>(widget)->accept();
    });
    form->ButtonSelectFolder2->click();
    EXPECT_TRUE(pick.answered());
    EXPECT_EQ(form->EditFolder2->text(), folder + QLatin1Char('/'));
    EXPECT_EQ(form->EditFolder1->text(), QStringLiteral("Select a folder..."));

    ModalAnswer cancel(
        QStringLiteral("FolderBrowser"), [](QWidget *widget) { static_cast<QDialog *>(widget)->reject(); });
    form->ButtonSelectFolder3->click();
    EXPECT_TRUE(cancel.answered());
    EXPECT_EQ(form->EditFolder3->text(), QStringLiteral("Select a folder..."));
    EXPECT_EQ(form->BrivaneDialogFolder->DialogGUID(), QStringLiteral("{C35263F7-648F-4F47-B963-82A465E69E5D}"));
}

TEST(FileOperationProgressTest, ShowsTheAmountAndCancelAsksWithoutClosing)
{
    TFormFileOperationProgress window(nullptr, FileOperationKind::Move, 3, QStringLiteral("/music/new"));
    EXPECT_EQ(window.LabelOperation->text(), QStringLiteral("Moving 3 files to /music/new"));
    FileOperationProgress progress;
    progress.totalBytes = 4000;
    progress.doneBytes = 1000;
    progress.currentFile = QStringLiteral("/music/a.flac");
    window.SetProgress(progress);
    EXPECT_EQ(window.ProgressBarTransfer->value(), 250);
    EXPECT_EQ(window.LabelCurrentFile->text(), QStringLiteral("a.flac"));
    window.show();
    QSignalSpy cancel(&window, &TFormFileOperationProgress::CancelRequested);
    window.ButtonCancel->click();
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(cancel.count(), 2);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.ButtonCancel->isEnabled());
    // Progress that still arrives while the operation stops does not hide
    // that it is stopping.
    progress.doneBytes = 2000;
    progress.currentFile = QStringLiteral("/music/b.flac");
    window.SetProgress(progress);
    EXPECT_EQ(window.LabelCurrentFile->text(), QStringLiteral("Cancelling..."));
    EXPECT_EQ(window.ProgressBarTransfer->value(), 500);
}

TEST(FileOperationDialogsTest, LabelsGiveScreenReadersTheirText)
{
    TFormFileOperationProgress progressWindow(nullptr, FileOperationKind::Copy, 1, QStringLiteral("/music/new"));
    FileOperationProgress progress;
    progress.totalBytes = 2048;
    progress.currentFile = QStringLiteral("/music/a.flac");
    progressWindow.SetProgress(progress);
    FileConflict conflict;
    conflict.source = QStringLiteral("/music/a.flac");
    conflict.target = QStringLiteral("/music/new/a.flac");
    TFormFileConflict question(nullptr, FileOperationKind::Copy, conflict);
    TFormFileError error(
        nullptr, FileOperationKind::Move, QStringLiteral("/music/a.flac"), QStringLiteral("No space."));
    int labels = 0;
    for (QWidget *window : std::initializer_list<QWidget *> { &progressWindow, &question, &error }) {
        for (QLabel *label : window->findChildren<QLabel *>()) {
            if (label->text().isEmpty())
                continue;
            ++labels;
            EXPECT_EQ(label->accessibleName(), label->text()) << label->objectName().toStdString();
        }
    }
    EXPECT_GE(labels, 7);
    EXPECT_TRUE(question.LabelQuestion->accessibleName().contains(QStringLiteral("\"a.flac\"")));
    EXPECT_EQ(error.text(), QStringLiteral("\"a.flac\" could not be moved.\nNo space."));
    // Closed without an answer (the operation was cancelled): not a skip.
    error.show();
    error.reject();
    EXPECT_FALSE(error.SkipChosen());
}

} // namespace
