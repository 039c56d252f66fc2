#include "MainWindowTestSupport.h"
#include "app/Globals.h"
#include "app/VantrelApplication.h"
#include "platform/IniDocument.h"
#include "scaling/DragLimitSplitter.h"
#include "scaling/ScaleFunctions.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QSplitter>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {

TEST_F(MainWindowTest, FirstStartLeavesAnEmptyUtf16SettingsFile)
{
    createWindow();
    EXPECT_EQ(TempDir::readAll(m_settingsPath), QByteArray("\xFF\xFE", 2));
}

TEST_F(MainWindowTest, LoadsEveryKeyAndSavesThemBack)
{
    writeSetting(QStringLiteral("Settings"), QStringLiteral("Preview on select"), QStringLiteral("1"));
    writeSetting(QStringLiteral("Settings"), QStringLiteral("Preview volume"), QStringLiteral("35"));
    writeSetting(QStringLiteral("Settings"), QStringLiteral("Folder 2"), QStringLiteral("/mnt/Sons d'été/"));
    writeSetting(QStringLiteral("Settings"), QStringLiteral("Group box folders visible"), QStringLiteral("1"));
    writeSetting(QStringLiteral("Hints"), QStringLiteral("Tree-view show"), QStringLiteral("1"));
    writeSetting(QStringLiteral("Window"), QStringLiteral("State"), QStringLiteral("1"));
    writeSetting(QStringLiteral("Window"), QStringLiteral("X"), QStringLiteral("100"));
    writeSetting(QStringLiteral("Window"), QStringLiteral("Y"), QStringLiteral("50"));
    writeSetting(QStringLiteral("Window"), QStringLiteral("Width"), QStringLiteral("1400"));
    writeSetting(QStringLiteral("Window"), QStringLiteral("Height"), QStringLiteral("800"));

    TFormMain &form = createWindow();
    EXPECT_TRUE(form.CheckBoxPreview->isChecked());
    EXPECT_EQ(form.TrackBarVolume->value(), 35);
    EXPECT_EQ(form.EditFolder1->text(), QStringLiteral("Select a folder..."));
    EXPECT_EQ(form.EditFolder2->text(), QStringLiteral("/mnt/Sons d'été/"));
    EXPECT_TRUE(form.ToolButton4->isChecked());
    EXPECT_FALSE(form.GroupBoxFolders->isHidden());
    EXPECT_TRUE(ShowTreeViewHint);
    ShowTreeViewHint = false;
    EXPECT_FALSE(form.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(form.geometry(), QRect(100, 50, 1400, 800));

    form.EditFolder3->setText(QStringLiteral("/srv/out"));
    form.TrackBarVolume->setValue(0);
    form.close();

    EXPECT_EQ(readSetting(QStringLiteral("Settings"), QStringLiteral("Folder 3")), QStringLiteral("/srv/out"));
    EXPECT_EQ(readSetting(QStringLiteral("Settings"), QStringLiteral("Preview volume")), QStringLiteral("0"));
    EXPECT_EQ(readSetting(QStringLiteral("Settings"), QStringLiteral("Preview on select")), QStringLiteral("1"));
    EXPECT_EQ(readSetting(QStringLiteral("Hints"), QStringLiteral("Tree-view show")), QStringLiteral("0"));
    EXPECT_EQ(readSetting(QStringLiteral("Window"), QStringLiteral("State")), QStringLiteral("1"));
    EXPECT_EQ(readSetting(QStringLiteral("Window"), QStringLiteral("X")), QStringLiteral("100"));
    EXPECT_EQ(readSetting(QStringLiteral("Window"), QStringLiteral("Y")), QStringLiteral("50"));
    EXPECT_EQ(readSetting(QStringLiteral("Window"), QStringLiteral("Width")), QStringLiteral("1400"));
    EXPECT_EQ(readSetting(QStringLiteral("Window"), QStringLiteral("Height")), QStringLiteral("800"));
    EXPECT_TRUE(m_errors.isEmpty());
    EXPECT_TRUE(TempDir::readAll(m_settingsPath).startsWith(QByteArray("\xFF\xFE[\0S\0", 6)));
}

TEST_F(MainWindowTest, UnreadableNumbersKeepTheCurrentValue)
{
    writeSetting(QStringLiteral("Settings"), QStringLiteral("Preview volume"), QStringLiteral("abc"));
    writeSetting(QStringLiteral("Window"), QStringLiteral("State"), QStringLiteral("7"));
    TFormMain &form = createWindow();
    EXPECT_EQ(form.TrackBarVolume->value(), 100);
    EXPECT_EQ(form.LabelVolumeValue->text(), QStringLiteral("100%"));
    EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);
}

TEST_F(MainWindowTest, MaximizedStateKeepsTheStoredBoundsForRestoring)
{
    writeSetting(QStringLiteral("Window"), QStringLiteral("State"), QStringLiteral("0"));
    writeSetting(QStringLiteral("Window"), QStringLiteral("X"), QStringLiteral("100"));
    writeSetting(QStringLiteral("Window"), QStringLiteral("Y"), QStringLiteral("50"));
    writeSetting(QStringLiteral("Window"), QStringLiteral("Width"), QStringLiteral("1400"));
    writeSetting(QStringLiteral("Window"), QStringLiteral("Height"), QStringLiteral("800"));
    TFormMain &form = createWindow();
    EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);
    // What the window returns to when the user restores it.
    EXPECT_EQ(form.normalGeometry(), QRect(100, 50, 1400, 800));
}

TEST_F(MainWindowTest, ExitWhileMinimizedStoresStateZeroAndKeepsBounds)
{
    writeSetting(QStringLiteral("Window"), QStringLiteral("State"), QStringLiteral("1"));
    writeSetting(QStringLiteral("Window"), QStringLiteral("X"), QStringLiteral("123"));
    TFormMain &form = createWindow();
    form.show();
    form.setWindowState(Qt::WindowMinimized);
    form.close();
    EXPECT_EQ(readSetting(QStringLiteral("Window"), QStringLiteral("State")), QStringLiteral("0"));
    EXPECT_EQ(readSetting(QStringLiteral("Window"), QStringLiteral("X")), QStringLiteral("123"));
}

TEST_F(MainWindowTest, DetailsWidthIsStoredAtScale96)
{
    writeSetting(QStringLiteral("Settings"), QStringLiteral("Details width"), QStringLiteral("600"));
    writeSetting(QStringLiteral("Window"), QStringLiteral("State"), QStringLiteral("1"));
    writeSetting(QStringLiteral("Window"), QStringLiteral("Width"), QStringLiteral("1800"));
    writeSetting(QStringLiteral("Window"), QStringLiteral("Height"), QStringLiteral("800"));
    TFormMain &form = createWindow();
    form.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(form.PanelListerContainer->width(), 600);

    // The same file read at scale 144 gives a panel 1.5 times as wide, and
    // saving at that scale writes the scale-96 width again.
    DisplayScale = 144;
    form.LoadSettings();
    QCoreApplication::processEvents();
    EXPECT_EQ(form.PanelListerContainer->width(), 900);
    EXPECT_TRUE(form.SaveSettings());
    EXPECT_EQ(readSetting(QStringLiteral("Settings"), QStringLiteral("Details width")), QStringLiteral("600"));
}

TEST_F(MainWindowTest, FailedSaveIsReportedAndTheWindowStillCloses)
{
    TFormMain &form = createWindow();
    form.show();
    // A folder where the file should be: no user, not even root, can write it.
    QFile::remove(m_settingsPath);
    ASSERT_TRUE(QDir().mkpath(m_settingsPath));
    EXPECT_TRUE(form.close());
    ASSERT_EQ(m_errors.size(), 1);
    EXPECT_EQ(m_errors.first(), QStringLiteral("Unable to write to ") + m_settingsPath);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(MainWindowTest, ScaledWindowGrowsImagesSplitterAndFonts)
{
    DisplayScale = 120;
    TFormMain &form = createWindow();
    // The offscreen monitor may lower the scale; every length follows the scale used.
    const int s = DisplayScale;
    ASSERT_LE(s, 120);
    EXPECT_EQ(form.ImageListFilesButtons.cellSize(), QSize(MulDiv(32, s, 96), MulDiv(32, s, 96)));
    // The panels' own minimums scaled once, the splitter's drag limit twice.
    EXPECT_EQ(form.PanelListerContainer->minimumWidth(), MulDiv(550, s, 96));
    EXPECT_EQ(form.PanelBrivaneDialogsContainer->minimumWidth(), MulDiv(550, s, 96));
    EXPECT_EQ(form.Splitter1->minSize(), MulDiv(MulDiv(550, s, 96), s, 96));
    EXPECT_EQ(form.ToolBar1->height(), MulDiv(8, s, 96) + form.ImageListFilesButtons.height());
    EXPECT_EQ(form.GroupBoxOpenWith->height(), MulDiv(18, s, 96) + form.ToolBar1->height());
    EXPECT_EQ(form.EditFolder1->font().pixelSize(), MulDiv(11, s, 96));
    EXPECT_EQ(form.StatusPanelWidth(1), MulDiv(500, s, 96));
}

// A stored width at the panel's designed minimum comes back as it was saved,
// whatever the scale.
TEST_F(MainWindowTest, DetailsWidthAtItsMinimumSurvivesAScaledRun)
{
    for (const int scale : { 120, 144 }) {
        writeSetting(QStringLiteral("Settings"), QStringLiteral("Details width"), QStringLiteral("550"));
        DisplayScale = scale;
        TFormMain &form = createWindow();
        form.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(form.PanelListerContainer->width(), MulDiv(550, DisplayScale, 96)) << scale;
        EXPECT_TRUE(form.SaveSettings());
        EXPECT_EQ(readSetting(QStringLiteral("Settings"), QStringLiteral("Details width")), QStringLiteral("550"))
            << scale;
        static_cast<VantrelApplication *>(qApp)->setActionManager(nullptr);
        FormMain = nullptr;
        m_form.reset();
    }
}

} // namespace
