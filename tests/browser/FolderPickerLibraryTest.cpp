#include "BrowserTestSupport.h"
#include "app/Globals.h"
#include "app/UnitMain.h"
#include "browser/BrivaneDialogsDefs.h"
#include "platform/KeyStore.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The "..." buttons with the real dialog library's folder dialog.
class FolderPickerLibraryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DisplayScale = 96;
        ASSERT_TRUE(BrivaneDialogsDefsBinding().Load());
        dir.mkdir(QStringLiteral("Chosen/Inner"));
        dir.mkdir(QStringLiteral("Other"));
        // The picker opens where it was last; start it here.
        platform::KeyStore store;
        const QString key = BrivaneDialogsSettingsKey(QStringLiteral("{C35263F7-648F-4F47-B963-82A465E69E5D}"));
        ASSERT_TRUE(store.createKey(key));
        ASSERT_TRUE(store.writeString(key, QStringLiteral("Folder"), dir.path() + QLatin1Char('/')));
        form = std::make_unique<TFormMain>();
        ShowTreeViewHint = false;
    }
    void TearDown() override
    {
        form.reset();
        FreeBrivaneDialogsDefs();
    }

    // Drives the library's modal dialog from inside its loop.
    void whenDialogShows(const std::function<void(QWidget *, QAbstractItemView *)> &steps)
    {
        QTimer::singleShot(0, [steps] {
            (void)QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 5000);
            QWidget *dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            auto *view = dialog->findChild<QAbstractItemView *>(QStringLiteral("FileListDetails"));
            ASSERT_NE(view, nullptr);
            ASSERT_TRUE(QTest::qWaitFor([&] { return view->model()->rowCount() == 2; }, 5000));
            steps(dialog, view);
            if (QWidget *still = QApplication::activeModalWidget())
                still->findChild<QAbstractButton *>(QStringLiteral("CancelButton"))->click();
        });
    }

    TempDir home;
    PrivateHome privateHome { home.filePath(QStringLiteral("home")) };
    TempDir dir;
    std::unique_ptr<TFormMain> form;
};

TEST_F(FolderPickerLibraryTest, ConfirmedFolderFillsOnlyItsRowWithOneTrailingDelimiter)
{
    whenDialogShows([](QWidget *dialog, QAbstractItemView *view) {
        QTest::keyClicks(view, QStringLiteral("Cho"));
        QTest::keyClick(view, Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return view->model()->rowCount() == 1; }, 5000));
        QTest::keyClick(dialog->findChild<QAbstractItemView *>(QStringLiteral("FileListDetails")), Qt::Key_Return);
    });
    form->ButtonSelectFolder3->click();
    EXPECT_EQ(form->EditFolder3->text(), dir.filePath(QStringLiteral("Chosen")) + QLatin1Char('/'));
    EXPECT_EQ(form->EditFolder1->text(), QStringLiteral("Select a folder..."));
    EXPECT_EQ(form->EditFolder2->text(), QStringLiteral("Select a folder..."));
    EXPECT_NE(form->BrivaneDialogFolder->BrivaneDialogHandle, 0u);
}

TEST_F(FolderPickerLibraryTest, CancelLeavesTheEditAlone)
{
    form->EditFolder1->setText(QStringLiteral("/typed/by/hand"));
    whenDialogShows([](QWidget *dialog, QAbstractItemView *) {
        dialog->findChild<QAbstractButton *>(QStringLiteral("CancelButton"))->click();
    });
    form->ButtonSelectFolder1->click();
    EXPECT_EQ(form->EditFolder1->text(), QStringLiteral("/typed/by/hand"));
}

} // namespace
