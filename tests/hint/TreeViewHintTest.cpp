#include "BrivaneDialogs.h"
#include "app/DialogTreeViewHint.h"
#include "app/Globals.h"
#include "app/SettingsFile.h"
#include "app/UnitMain.h"
#include "app/VantrelApplication.h"
#include "browser/BrowserTestSupport.h"
#include "platform/WindowMessage.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Stands in for the browser's window and records the messages it gets.
class BrowserWindow : public QWidget
{
public:
    bool event(QEvent *event) override
    {
        if (platform::WindowMessageEvent::isWindowMessage(event)) {
            const auto *message = static_cast<platform::WindowMessageEvent *>(event);
            messages.append(message->message());
            parameters += message->wParam() + std::uint64_t(message->lParam());
            return true;
        }
        return QWidget::event(event);
    }
    QList<unsigned> messages;
    std::uint64_t parameters = 0;
};

class TreeViewHintTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DisplayScale = 96;
        ShowTreeViewHint = true;
    }
    void TearDown() override { DisplayScale = 96; }

    BrowserWindow browser;
};

QRect rectIn(const QWidget *widget, const QWidget *ancestor)
{
    return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
}

TEST_F(TreeViewHintTest, LayoutAndTextsAtScale96)
{
    QPointer<TFormTreeViewHint> hint = new TFormTreeViewHint(nullptr, 0);
    hint->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(hint));
    EXPECT_EQ(hint->windowTitle(), QStringLiteral("Hint"));
    EXPECT_EQ(hint->size(), QSize(412, 234));
    EXPECT_EQ(hint->minimumSize(), hint->maximumSize());
    EXPECT_EQ(rectIn(hint->GroupBox1, hint), QRect(0, 0, 412, 195));
    EXPECT_EQ(hint->GroupBox1->title(), QStringLiteral(" Information: "));
    EXPECT_EQ(rectIn(hint->Image1, hint), QRect(32, 36, 48, 48));
    EXPECT_EQ(rectIn(hint->LabelFileName, hint), QRect(96, 36, 281, 76));
    EXPECT_EQ(rectIn(hint->CheckBoxDoNotShowAgain, hint), QRect(142, 166, 204, 17));
    EXPECT_EQ(rectIn(hint->Button1, hint), QRect(329, 201, 75, 25));
    // Right-aligned links keep their right edge and top.
    EXPECT_EQ(rectIn(hint->LabelTreeView, hint).right(), 376);
    EXPECT_EQ(rectIn(hint->LabelTreeView, hint).top(), 114);
    EXPECT_EQ(rectIn(hint->LabelDrivesLocations, hint).right(), 376);
    EXPECT_EQ(rectIn(hint->LabelDrivesLocations, hint).top(), 138);
    for (QLabel *link : { hint->LabelTreeView, hint->LabelDrivesLocations }) {
        EXPECT_GE(link->width(), link->fontMetrics().horizontalAdvance(link->text())) << "text cut off";
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_TRUE(link->alignment() & Qt::AlignRight);
    }

    EXPECT_EQ(hint->LabelFileName->text(),
        QStringLiteral("  There are 2 modes for the left panel: drives, locations and recently visited folders "
                       "panel or a tree-view locations panel. Right-mouse button click on the panel or the top "
                       "\"Locations\" header to display a pop-up menu to choose between the two modes."));
    EXPECT_EQ(hint->LabelTreeView->text(), QStringLiteral("Switch to tree-view folders"));
    EXPECT_EQ(
        hint->LabelDrivesLocations->text(), QStringLiteral("Switch to drives, locations and recently visited folders"));
    EXPECT_EQ(hint->CheckBoxDoNotShowAgain->text(), QStringLiteral("Do not show this hint again"));
    EXPECT_FALSE(hint->CheckBoxDoNotShowAgain->isChecked());
    EXPECT_EQ(hint->Button1->text(), QStringLiteral("OK"));
    EXPECT_TRUE(hint->font().bold());
    EXPECT_FALSE(hint->LabelFileName->font().bold());
    EXPECT_EQ(hint->LabelFileName->font().pixelSize(), 11);

    const QImage picture = hint->Image1->pixmap().toImage();
    EXPECT_EQ(picture.size(), QSize(48, 48));
    EXPECT_TRUE(picture.hasAlphaChannel());
    EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(picture.pixel(24, 24)), 255);
    hint->close();
}

TEST_F(TreeViewHintTest, ScaledWindowGrowsWithTheDisplayScale)
{
    DisplayScale = 120;
    QPointer<TFormTreeViewHint> hint = new TFormTreeViewHint(nullptr, 0);
    EXPECT_EQ(hint->size(), QSize(515, 293));
    EXPECT_EQ(hint->LabelFileName->font().pixelSize(), 14);
    hint->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(hint));
    EXPECT_EQ(rectIn(hint->Button1, hint), QRect(411, 251, 94, 31));
    hint->close();
}

TEST_F(TreeViewHintTest, EveryClickOnALinkSendsItsMessageAgain)
{
    QPointer<TFormTreeViewHint> hint = new TFormTreeViewHint(nullptr, platform::handleOf(&browser));
    hint->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(hint));
    QTest::mouseClick(hint->LabelTreeView, Qt::LeftButton, {}, hint->LabelTreeView->rect().center());
    QTest::mouseClick(hint->LabelTreeView, Qt::LeftButton, {}, hint->LabelTreeView->rect().center());
    QTest::mouseClick(hint->LabelDrivesLocations, Qt::LeftButton, {}, hint->LabelDrivesLocations->rect().center());
    QTest::mouseClick(hint->LabelDrivesLocations, Qt::RightButton, {}, hint->LabelDrivesLocations->rect().center());
    hint->LabelTreeView->setFocus();
    QTest::keyClick(hint->LabelTreeView, Qt::Key_Space);
    EXPECT_EQ(
        browser.messages, (QList<unsigned> { bdMsgPanelTree, bdMsgPanelTree, bdMsgPanelLocations, bdMsgPanelTree }));
    EXPECT_EQ(browser.parameters, 0u);
    // A link leaves the window open.
    EXPECT_TRUE(hint->isVisible());
    hint->close();
}

TEST_F(TreeViewHintTest, EnterOnTheOpenedWindowPressesOkNotALink)
{
    QPointer<TFormTreeViewHint> hint = new TFormTreeViewHint(nullptr, platform::handleOf(&browser));
    hint->setAttribute(Qt::WA_DeleteOnClose, false);
    hint->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(hint));
    ASSERT_EQ(hint->focusWidget(), hint->Button1);
    QTest::keyClick(hint->focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(browser.messages.isEmpty());
    EXPECT_FALSE(hint->isVisible());
    delete hint;
}

TEST_F(TreeViewHintTest, LinksWithoutABrowserWindowDoNothing)
{
    QPointer<TFormTreeViewHint> hint = new TFormTreeViewHint(nullptr, 0);
    hint->show();
    hint->LabelTreeViewClick();
    hint->LabelDrivesLocationsClick();
    EXPECT_TRUE(hint->isVisible());
    EXPECT_TRUE(browser.messages.isEmpty());
    hint->close();
}

TEST_F(TreeViewHintTest, PointingAtALinkUnderlinesOnlyThatLink)
{
    QPointer<TFormTreeViewHint> hint = new TFormTreeViewHint(nullptr, 0);
    hint->show();
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(hint->LabelTreeView, &enter);
    EXPECT_TRUE(hint->LabelTreeView->font().underline());
    EXPECT_FALSE(hint->LabelDrivesLocations->font().underline());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(hint->LabelTreeView, &leave);
    EXPECT_FALSE(hint->LabelTreeView->font().underline());
    QCoreApplication::sendEvent(hint->LabelDrivesLocations, &enter);
    EXPECT_TRUE(hint->LabelDrivesLocations->font().underline());
    EXPECT_FALSE(hint->LabelTreeView->font().underline());
    hint->close();
}

struct CloseCase
{
    const char *name;
    bool ticked;
    std::function<void(TFormTreeViewHint *)> close;
};

class HintCloseTest : public TreeViewHintTest, public ::testing::WithParamInterface<CloseCase>
{
};

TEST_P(HintCloseTest, EveryWayOfClosingStoresTheBoxAndFreesTheWindow)
{
    QPointer<TFormTreeViewHint> hint = new TFormTreeViewHint(nullptr, 0);
    FormTreeViewHint = hint;
    ShowTreeViewHint = GetParam().ticked;
    hint->CheckBoxDoNotShowAgain->setChecked(GetParam().ticked);
    QTimer::singleShot(0, hint, [&] { GetParam().close(hint); });
    hint->exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(hint.isNull());
    EXPECT_EQ(FormTreeViewHint, nullptr);
    EXPECT_EQ(ShowTreeViewHint, !GetParam().ticked);
}

INSTANTIATE_TEST_SUITE_P(Ways, HintCloseTest,
    ::testing::Values(CloseCase { "OkTicked", true, [](TFormTreeViewHint *h) { h->Button1->click(); } },
        CloseCase { "OkUnticked", false, [](TFormTreeViewHint *h) { h->Button1->click(); } },
        CloseCase { "EscapeTicked", true, [](TFormTreeViewHint *h) { QTest::keyClick(h, Qt::Key_Escape); } },
        CloseCase { "EscapeUnticked", false, [](TFormTreeViewHint *h) { QTest::keyClick(h, Qt::Key_Escape); } },
        CloseCase { "TitleBarTicked", true, [](TFormTreeViewHint *h) { h->close(); } }),
    [](const auto &info) { return std::string(info.param.name); });

// The main window's start-up timer shows the hint.
class StartupHintTest : public ::testing::Test
{
protected:
    void SetUp() override { DisplayScale = 96; }

    TempDir home;
    PrivateHome privateHome { home.filePath(QStringLiteral("home")) };
};

TEST_F(StartupHintTest, ShownOnceModallyAndTheTickedBoxReachesTheSettingsFile)
{
    TFormMain form;
    form.TimerStartup->stop();
    form.show();
    ASSERT_TRUE(ShowTreeViewHint);
    ModalAnswer answer(QStringLiteral("FormTreeViewHint"), [](QWidget *widget) {
        auto *hint = static_cast<TFormTreeViewHint *>(widget);
        EXPECT_EQ(FormTreeViewHint, hint);
        hint->CheckBoxDoNotShowAgain->setChecked(true);
        hint->Button1->click();
    });
    form.TimerStartupTimer();
    EXPECT_TRUE(answer.answered());
    EXPECT_FALSE(ShowTreeViewHint);

    // A second firing of the timer shows nothing, whatever the flag says.
    ShowTreeViewHint = true;
    ShownWindows shown;
    form.TimerStartupTimer();
    EXPECT_TRUE(shown.names().isEmpty());

    ShowTreeViewHint = false;
    EXPECT_TRUE(form.SaveSettings());
    EXPECT_EQ(SettingsFile(GetSettingsFileName())
                  .ReadString(QStringLiteral("Hints"), QStringLiteral("Tree-view show"), QStringLiteral("missing")),
        QStringLiteral("0"));
}

TEST_F(StartupHintTest, SettingOffMeansNoWindowAtAll)
{
    const QString path = GetSettingsFileName();
    ASSERT_FALSE(path.isEmpty());
    {
        SettingsFile ini(path);
        ini.WriteString(QStringLiteral("Hints"), QStringLiteral("Tree-view show"), QStringLiteral("0"));
    }
    TFormMain form;
    form.TimerStartup->stop();
    EXPECT_FALSE(ShowTreeViewHint);
    ShownWindows shown;
    form.TimerStartupTimer();
    EXPECT_TRUE(shown.names().isEmpty());
    EXPECT_EQ(FormTreeViewHint, nullptr);
}

// A message box at creation (the settings file cannot be made) runs the
// event loop long past the start-up timer; the hint still waits for the
// main window and then opens over it.
TEST_F(StartupHintTest, NeverShownBeforeTheMainWindowWhenTheSettingsFileCannotBeCreated)
{
    // A file where the settings folder belongs: neither the folder nor the
    // file can be made, not even by root.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    ASSERT_TRUE(QDir().mkpath(data));
    QFile blocker(data + QStringLiteral("/Tarvex"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    ShowTreeViewHint = true;
    QStringList errors;
    VantrelApplication::setErrorReporter([&errors](const QString &message) {
        errors.append(message);
        QTest::qWait(3 * TFormMain::kStartupTimerInterval);
    });
    ShownWindows shown;
    auto form = std::make_unique<TFormMain>();
    VantrelApplication::setErrorReporter(nullptr);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.front().startsWith(QStringLiteral("Cannot create file"))) << errors.front().toStdString();
    EXPECT_FALSE(shown.names().contains(QStringLiteral("FormTreeViewHint")));

    ModalAnswer answer(QStringLiteral("FormTreeViewHint"),
        [](QWidget *widget) { static_cast<TFormTreeViewHint *>(widget)->Button1->click(); });
    form->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return answer.answered(); }, 10000));
    const QStringList names = shown.names();
    ASSERT_TRUE(names.contains(QStringLiteral("FormMain")));
    EXPECT_LT(names.indexOf(QStringLiteral("FormMain")), names.indexOf(QStringLiteral("FormTreeViewHint")));
    form.reset();
}

} // namespace
