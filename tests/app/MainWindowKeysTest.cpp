#include "MainWindowTestSupport.h"

#include "app/ActionManager.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {

class MainWindowKeys : public MainWindowTest
{
protected:
    TFormMain &shownWindow()
    {
        TFormMain &form = createWindow();
        form.setWindowState(Qt::WindowNoState);
        form.show();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        return form;
    }
};

TEST_F(MainWindowKeys, SpaceInATextFieldRunsTheActionAndTypesNothing)
{
    TFormMain &form = shownWindow();
    QSignalSpy triggered(form.ActionSpaceBar, &QAction::triggered);
    form.ToolButton4->setChecked(true);
    form.ToolButton4Click();
    form.EditFolder1->setText(QStringLiteral("abc"));
    form.EditFolder1->setFocus();
    QTest::keyClick(form.EditFolder1, Qt::Key_Space);
    EXPECT_EQ(triggered.count(), 1);
    EXPECT_EQ(form.EditFolder1->text(), QStringLiteral("abc"));

    // With a modifier it is no shortcut: Shift+Space types a blank.
    QTest::keyClick(form.EditFolder1, Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(triggered.count(), 1);
}

TEST_F(MainWindowKeys, SuspendedActionListLetsSpaceReachTheControl)
{
    TFormMain &form = shownWindow();
    QSignalSpy triggered(form.ActionSpaceBar, &QAction::triggered);
    form.ToolButton4->setChecked(true);
    form.ToolButton4Click();
    form.EditFolder1->setText(QString());
    form.EditFolder1->setFocus();
    form.ActionManager1->setSuspended(true);
    QTest::keyClick(form.EditFolder1, Qt::Key_Space);
    EXPECT_EQ(triggered.count(), 0);
    EXPECT_EQ(form.EditFolder1->text(), QStringLiteral(" "));
    form.ActionManager1->setSuspended(false);
    QTest::keyClick(form.EditFolder1, Qt::Key_Space);
    EXPECT_EQ(triggered.count(), 1);
}

TEST_F(MainWindowKeys, SpaceOnACheckBoxTogglesThePreviewNotTheBox)
{
    TFormMain &form = shownWindow();
    QSignalSpy triggered(form.ActionSpaceBar, &QAction::triggered);
    form.CheckBoxPreview->setFocus();
    const bool before = form.CheckBoxPreview->isChecked();
    QTest::keyClick(form.CheckBoxPreview, Qt::Key_Space);
    EXPECT_EQ(triggered.count(), 1);
    EXPECT_EQ(form.CheckBoxPreview->isChecked(), before);
}

TEST_F(MainWindowKeys, ArrowsMoveTheCaretAndNeverTheFocus)
{
    TFormMain &form = shownWindow();
    form.ToolButton4->setChecked(true);
    form.ToolButton4Click();
    form.EditFolder1->setText(QStringLiteral("abcdef"));
    form.EditFolder1->setFocus();
    form.EditFolder1->setCursorPosition(3);
    QTest::keyClick(form.EditFolder1, Qt::Key_Left);
    EXPECT_EQ(form.EditFolder1->cursorPosition(), 2);
    QTest::keyClick(form.EditFolder1, Qt::Key_Right);
    QTest::keyClick(form.EditFolder1, Qt::Key_Right);
    EXPECT_EQ(form.EditFolder1->cursorPosition(), 4);
    QTest::keyClick(form.EditFolder1, Qt::Key_Down);
    QTest::keyClick(form.EditFolder1, Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), form.EditFolder1);

    form.CheckBoxPreview->setFocus();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Right, Qt::Key_Up, Qt::Key_Left}) {
        QTest::keyClick(form.CheckBoxPreview, key);
        EXPECT_EQ(QApplication::focusWidget(), form.CheckBoxPreview) << "key " << int(key);
    }
}

} // namespace
