#include "DialogHost.h"
#include "platform/KeyStore.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

class ModalDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.loaded());
        dir.mkdir(QStringLiteral("Chosen/Inner"));
        dir.mkdir(QStringLiteral("Other"));
        dir.write(QStringLiteral("song.mp3"), "x");
        dir.write(QStringLiteral("tune.flac"), "x");
        forgetDialogState();
        records.setModal(nullptr, dir.path());
    }

    // Runs a dialog entry point while steps drive the dialog from inside its
    // own event loop.
    int run(TBrivaneDialogs_OpenDialog entry, int expectedRows, const std::function<void(QWidget *)> &steps)
    {
        QTimer::singleShot(0, [&] {
            (void)QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 3000);
            QWidget *dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            ASSERT_TRUE(waitForRows(dialog, expectedRows));
            steps(dialog);
            // Never leave a dialog open: a failed step would hang the test.
            if (QWidget *still = QApplication::activeModalWidget())
                still->findChild<QAbstractButton *>(QStringLiteral("CancelButton"))->click();
        });
        return entry(&records.params, &records.results);
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    DialogHost host;
    TempDir dir;
    HostRecords records;
};

} // namespace

TEST_F(ModalDialogTest, FolderDialogConfirmedByKeyboardReportsItsFolder)
{
    const int result = run(host.folderDialog, 2, [&](QWidget *dialog) {
        QAbstractItemView *view = detailsView(dialog);
        QTest::keyClicks(view, QStringLiteral("Cho")); // type-ahead
        ASSERT_EQ(view->currentIndex().data().toString(), QStringLiteral("Chosen"));
        QTest::keyClick(view, Qt::Key_Return); // opens it
        ASSERT_TRUE(waitForRows(dialog, 1));
        QTest::keyClick(detailsView(dialog), Qt::Key_Return); // nothing selected: confirms
    });
    EXPECT_EQ(result, 1);
    const auto reports = DialogHost::eventsWithCode(bdEventSelection);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].fileCount, 1u);
    EXPECT_EQ(reports[0].fileName, path(QStringLiteral("Chosen")) + u'/');
    EXPECT_EQ(reports[0].names, QStringList { path(QStringLiteral("Chosen")) + u'/' });
    EXPECT_EQ(records.results.Successfull, 1);
    EXPECT_EQ(records.results.FileCount, 1u);
    EXPECT_EQ(platform::KeyStore().readString(testGuidKey(), QStringLiteral("Folder")).value_or(QString()),
        path(QStringLiteral("Chosen")) + u'/');
    // The selection event comes before the call returns, and its record was
    // handed back.
    const auto freed = DialogHost::eventsWithCode(bdEventFreeResults);
    ASSERT_EQ(freed.size(), 1u);
    EXPECT_EQ(freed[0].freed, 1);
}

TEST_F(ModalDialogTest, FolderDialogShowsFoldersOnly)
{
    QStringList shown;
    run(host.folderDialog, 2, [&](QWidget *dialog) { shown = rowNames(dialog); });
    EXPECT_EQ(shown, (QStringList { QStringLiteral("Chosen"), QStringLiteral("Other") }));
}

TEST_F(ModalDialogTest, OpenDialogReturnsSelectedFilesAndCancelReportsNothing)
{
    records.params.Options = ofAllowMultiSelect;
    int result = run(host.openDialog, 4, [&](QWidget *dialog) {
        QAbstractItemView *view = detailsView(dialog);
        QTest::keyClick(view, Qt::Key_Home); // from no current row, any move lands on the first
        QTest::keyClick(view, Qt::Key_End);
        QTest::keyClick(view, Qt::Key_Up, Qt::ShiftModifier);
        EXPECT_EQ(dialog->findChild<QLineEdit *>(QStringLiteral("FileNameEdit"))->text(),
            QStringLiteral("\"song.mp3\" \"tune.flac\""));
        dialog->findChild<QAbstractButton *>(QStringLiteral("OKButton"))->click();
    });
    EXPECT_EQ(result, 1);
    auto reports = DialogHost::eventsWithCode(bdEventSelection);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].names, (QStringList { path(QStringLiteral("song.mp3")), path(QStringLiteral("tune.flac")) }));

    DialogHost::events().clear();
    result = run(host.openDialog, 4, [&](QWidget *dialog) {
        QTest::keyClick(detailsView(dialog), Qt::Key_Home);
        QTest::keyClick(detailsView(dialog), Qt::Key_End);
        dialog->findChild<QAbstractButton *>(QStringLiteral("CancelButton"))->click();
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(DialogHost::eventsWithCode(bdEventSelection).empty());
    EXPECT_EQ(records.results.Successfull, 0);
}

TEST_F(ModalDialogTest, SaveDialogAddsTheDefaultExtension)
{
    const std::u16string ext = u"flac";
    int result = 0;
    records.params.DefaultExt = ext.c_str();
    result = run(host.saveDialog, 4, [&](QWidget *dialog) {
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("FileNameEdit"));
        name->setText(QStringLiteral("new take"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    EXPECT_EQ(result, 1);
    const auto reports = DialogHost::eventsWithCode(bdEventSelection);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].fileName, path(QStringLiteral("new take.flac")));
}
