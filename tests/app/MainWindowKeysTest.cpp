#include "MainWindowTestSupport.h"
#include "app/ActionManager.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

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

TEST_F(MainWindowKeys, SpaceInAnEditableFieldTypesABlankAndElsewhereTogglesThePreview)
{
    TFormMain &form = shownWindow();
    QSignalSpy triggered(form.ActionSpaceBar, &QAction::triggered);
    form.ToolButton4->setChecked(true);
    form.ToolButton4Click();
    form.EditFolder1->setText(QStringLiteral("Huge"));
    form.EditFolder1->setFocus();
    form.EditFolder1->end(false);
    QTest::keyClicks(form.EditFolder1, QStringLiteral(" copy"));
    EXPECT_EQ(form.EditFolder1->text(), QStringLiteral("Huge copy"));
    EXPECT_EQ(triggered.count(), 0);

    // A read-only field takes no text: there the space bar is the preview's.
    form.EditFolder1->setReadOnly(true);
    QTest::keyClick(form.EditFolder1, Qt::Key_Space);
    EXPECT_EQ(triggered.count(), 1);
    EXPECT_EQ(form.EditFolder1->text(), QStringLiteral("Huge copy"));

    // The list of details is no text field either.
    form.ListViewDetails->setFocus();
    QTest::keyClick(form.ListViewDetails, Qt::Key_Space);
    EXPECT_EQ(triggered.count(), 2);
}

TEST_F(MainWindowKeys, ShiftArrowsSelectTextInAFieldAndSeekElsewhere)
{
    TFormMain &form = shownWindow();
    QSignalSpy back(form.ActionSeekBack, &QAction::triggered);
    QSignalSpy forward(form.ActionSeekForward, &QAction::triggered);
    form.EditFolder1->setText(QStringLiteral("Huge"));
    form.EditFolder1->setFocus();
    form.EditFolder1->end(false);
    QTest::keyClick(form.EditFolder1, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(form.EditFolder1, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(form.EditFolder1->selectedText(), QStringLiteral("ge"));
    EXPECT_EQ(back.count(), 0);

    form.ListViewDetails->setFocus();
    QTest::keyClick(form.ListViewDetails, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(form.ListViewDetails, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(back.count(), 1);
    EXPECT_EQ(forward.count(), 1);
}

TEST_F(MainWindowKeys, SuspendedActionListLetsSpaceReachTheControl)
{
    TFormMain &form = shownWindow();
    QSignalSpy triggered(form.ActionSpaceBar, &QAction::triggered);
    form.ToolButton4->setChecked(true);
    form.ToolButton4Click();
    form.CheckBoxPreview->setFocus();
    form.ActionManager1->setSuspended(true);
    const bool before = form.CheckBoxPreview->isChecked();
    QTest::keyClick(form.CheckBoxPreview, Qt::Key_Space);
    EXPECT_EQ(triggered.count(), 0);
    EXPECT_NE(form.CheckBoxPreview->isChecked(), before) << "the box itself got the key";
    form.ActionManager1->setSuspended(false);
    QTest::keyClick(form.CheckBoxPreview, Qt::Key_Space);
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
    for (Qt::Key key : { Qt::Key_Down, Qt::Key_Right, Qt::Key_Up, Qt::Key_Left }) {
        QTest::keyClick(form.CheckBoxPreview, key);
        EXPECT_EQ(QApplication::focusWidget(), form.CheckBoxPreview) << "key " << int(key);
    }
}

// The menus open from the keyboard by their underlined letters, and Ctrl+Q
// leaves the program from anywhere in the window.
TEST_F(MainWindowKeys, MenusOpenByMnemonicsAndCtrlQExits)
{
    TFormMain &form = shownWindow();
    struct Case
    {
        Qt::Key letter;
        QMenu *menu;
    };
    for (const Case &c :
        { Case { Qt::Key_F, form.File1 }, Case { Qt::Key_O, form.Options1 }, Case { Qt::Key_H, form.Help1 } }) {
        form.ListViewDetails->setFocus();
        QTest::keyClick(form.ListViewDetails, c.letter, Qt::AltModifier);
        EXPECT_EQ(QApplication::activePopupWidget(), c.menu) << c.menu->title().toStdString();
        if (QWidget *popup = QApplication::activePopupWidget())
            QTest::keyClick(popup, Qt::Key_Escape);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    }
    EXPECT_EQ(form.Exit1->text(), QStringLiteral("E&xit"));

    form.CheckBoxPreview->setFocus();
    QTest::keyClick(form.CheckBoxPreview, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form.isVisible());
}

} // namespace
