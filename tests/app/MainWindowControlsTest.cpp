#include "MainWindowTestSupport.h"
#include "app/ErrorBoundary.h"
#include "app/ProgramStyle.h"
#include "app/SettingsFile.h"
#include "app/VantrelApplication.h"
#include "browser/BrowserTestSupport.h"
#include "support/TempDir.h"
#include "util/VantrelError.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <qdrawutil.h>

namespace {

TEST_F(MainWindowTest, EveryControlCarriesItsNameAndAnAccessibleName)
{
    TFormMain &form = createWindow();
    const char *names[] = {
        "PanelListerContainer",
        "Splitter1",
        "PanelBrivaneDialogsContainer",
        "GroupBoxBrivaneDialogsContainer",
        "PanelBrivaneDialogs",
        "StatusBar",
        "GroupBoxOpenWith",
        "ToolBar1",
        "ToolButton4",
        "ToolButton5",
        "ToolButton1",
        "ToolButton2",
        "ToolButton3",
        "GroupBoxFolders",
        "EditFolder1",
        "EditFolder2",
        "EditFolder3",
        "ButtonSelectFolder1",
        "ButtonSelectFolder2",
        "ButtonSelectFolder3",
        "Button2",
        "Button3",
        "Button5",
        "Button6",
        "Button8",
        "Button9",
        "GroupBoxDetails",
        "ListViewDetails",
        "GroupBoxOptions",
        "CheckBoxPreview",
        "Label1",
        "TrackBarVolume",
        "LabelVolumeValue",
        "MainMenu1",
        "File1",
        "Options1",
        "Help1",
        "PopupMenuDetails",
    };
    for (const char *name : names) {
        auto *widget = form.findChild<QWidget *>(QString::fromLatin1(name));
        ASSERT_NE(widget, nullptr) << name;
        // What a screen reader is told: a label's own text, else the name given.
        QAccessibleInterface *readable = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(readable, nullptr) << name;
        EXPECT_FALSE(readable->text(QAccessible::Name).isEmpty()) << name;
    }
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Vantrel"));
    EXPECT_EQ(form.GroupBoxBrivaneDialogsContainer->title(), QStringLiteral(" Browser: "));
    EXPECT_EQ(form.GroupBoxOpenWith->title(), QStringLiteral(" Open file in application: "));
    EXPECT_EQ(form.GroupBoxDetails->title(), QStringLiteral(" Selected audio file's details: "));
    EXPECT_EQ(form.GroupBoxOptions->title(), QStringLiteral(" Options: "));
    EXPECT_EQ(form.ToolButton1->text(), QStringLiteral("No app. specified  "));
    EXPECT_EQ(form.ListViewDetails->headerItem()->text(0), QStringLiteral("Attribute name"));
    EXPECT_EQ(form.ListViewDetails->columnWidth(0), 200);
    QStringList popup;
    for (QAction *action : form.PopupMenuDetails->actions())
        popup.append(action->text());
    EXPECT_EQ(popup,
        (QStringList { QStringLiteral("Copy Value To Clipboard"), QStringLiteral("Copy Name And Value To Clipboard"),
            QStringLiteral("Copy Complete List To Clipboard"), QStringLiteral("Save Complete List To File...") }));
    EXPECT_TRUE(form.GroupBoxFolders->isHidden());
    EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);
}

TEST_F(MainWindowTest, ToolButton4ShowsAndHidesTheFoldersPanel)
{
    TFormMain &form = createWindow();
    form.ToolButton4->click();
    EXPECT_TRUE(form.ToolButton4->isChecked());
    EXPECT_FALSE(form.GroupBoxFolders->isHidden());
    form.ToolButton4->click();
    EXPECT_TRUE(form.GroupBoxFolders->isHidden());
}

TEST_F(MainWindowTest, StatusPanelOneKeepsItsWidthOnResize)
{
    TFormMain &form = createWindow();
    form.setWindowState(Qt::WindowNoState);
    form.show();
    for (int width : { 1300, 1700, 2000 }) {
        form.resize(width, 800);
        QCoreApplication::processEvents();
        EXPECT_EQ(form.StatusPanelWidth(1), 500);
        EXPECT_EQ(form.StatusPanelWidth(0), width - 500);
        EXPECT_EQ(form.StatusPanel0->width(), width - 500);
    }
}

TEST_F(MainWindowTest, HintMarkerBecomesALineBreakAndHintsShowInPanelZero)
{
    TFormMain &form = createWindow();
    form.EditFolder2->setToolTip(QStringLiteral("First sentence. /n/n Second sentence."));
    TFormMain::ConvertHintLineBreaks(&form);
    EXPECT_EQ(form.EditFolder2->toolTip(), QStringLiteral("First sentence.\r\nSecond sentence."));
    EXPECT_EQ(form.CheckBoxPreview->toolTip(),
        QStringLiteral("Play the audio file when selecting it. Space bar toggles play/pause."));

    QStatusTipEvent tip(form.CheckBoxPreview->statusTip());
    QCoreApplication::sendEvent(form.CheckBoxPreview, &tip);
    EXPECT_EQ(form.StatusPanel0->text(), form.CheckBoxPreview->statusTip());
    EXPECT_TRUE(form.StatusPanel1->text().isEmpty());
}

TEST_F(MainWindowTest, DroppedFilesAreAcceptedAndReadInOrder)
{
    TFormMain &form = createWindow();
    auto *mime = new QMimeData;
    mime->setUrls(
        { QUrl::fromLocalFile(QStringLiteral("/tmp/b.wav")), QUrl::fromLocalFile(QStringLiteral("/tmp/a b.mp3")) });
    form.show();
    // A drop reaches the widget that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(form.LastDroppedFiles(), (QStringList { QStringLiteral("/tmp/b.wav"), QStringLiteral("/tmp/a b.mp3") }));
    delete mime;
}

// Records the pages the help items ask the desktop to open.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls.append(url); }
};

TEST_F(MainWindowTest, HelpItemsOpenPagesThatShipWithTheProgram)
{
    TFormMain &form = createWindow();
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
    form.OnlineHelp1->trigger();
    form.PrivacyPolicy1->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ASSERT_EQ(recorder.urls.size(), 2);
    for (const QUrl &url : recorder.urls)
        EXPECT_TRUE(QFileInfo::exists(url.toLocalFile())) << url.toString().toStdString();
}

} // namespace

namespace {

TEST_F(MainWindowTest, AboutNamesTheVersionTheReleaseNotesAndThePackageCarry)
{
    TFormMain &form = createWindow();
    QString shown;
    ModalAnswer answer(QStringLiteral("FormAbout"), [&](QWidget *widget) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        ASSERT_NE(box, nullptr);
        shown = box->windowTitle() + QLatin1Char('\n') + box->text();
        box->button(QMessageBox::Ok)->click();
    });
    form.About1->trigger();
    ASSERT_TRUE(answer.answered());
    EXPECT_TRUE(shown.startsWith(QStringLiteral("About Vantrel\n"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("Vantrel " VANTREL_VERSION))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(GetSettingsFileName().toHtmlEscaped())) << shown.toStdString();

    // The newest release the software centres list is this version.
    QFile metainfo(sourceDir() + QStringLiteral("/resources/desktop/com.tarvex.Vantrel.metainfo.xml"));
    ASSERT_TRUE(metainfo.open(QIODevice::ReadOnly));
    const QString xml = QString::fromUtf8(metainfo.readAll());
    const qsizetype release = xml.indexOf(QStringLiteral("<release version=\""));
    ASSERT_GE(release, 0);
    EXPECT_EQ(xml.mid(release + 18, qsizetype(qstrlen(VANTREL_VERSION)) + 1), QStringLiteral(VANTREL_VERSION "\""));
}

TEST_F(MainWindowTest, GeneralErrorHandlerShowsTheTextAndTheProgramGoesOn)
{
    TFormMain &form = createWindow();
    form.show();
    auto *button = new QPushButton(QStringLiteral("Fails"), form.GroupBoxOptions);
    button->show();
    struct Failing
    {
        int clicks = 0;
        void handler()
        {
            ++clicks;
            throw VantrelError(QStringLiteral("Unable to create directory"));
        }
    } failing;
    QObject::connect(button, &QPushButton::clicked, &form, Guarded(&failing, &Failing::handler));
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(failing.clicks, 2);
    EXPECT_EQ(m_errors,
        (QStringList { QStringLiteral("Unable to create directory"), QStringLiteral("Unable to create directory") }));
    EXPECT_TRUE(form.isVisible());
}

// The box the general handler shows for a user who has no test recorder in
// between: titled with the program's name, the text in it, closed with OK.
TEST_F(MainWindowTest, GeneralErrorBoxIsTitledWithTheProgramsName)
{
    TFormMain &form = createWindow();
    form.show();
    VantrelApplication::setErrorReporter({});
    QString title;
    QString text;
    ModalAnswer answer(QStringLiteral("ErrorMessageBox"), [&](QWidget *widget) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    VantrelApplication::ReportError(QStringLiteral("Unable to create directory"));
    EXPECT_TRUE(answer.answered());
    EXPECT_EQ(title, QStringLiteral("Vantrel"));
    EXPECT_EQ(text, QStringLiteral("Unable to create directory"));
}

// The overflow buttons of the menu bar and the tool bars show drawn
// chevrons: inked at every size asked for, and pointing along their bar.
TEST(ProgramStyle, GroupBoxFramesAreFusionsPictureStretchedToTheBoxAndDrawnAlikeEveryTime)
{
    ProgramStyle style;
    QImageReader reader(QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png"), "png");
    const QPixmap picture = QPixmap::fromImage(reader.read());
    ASSERT_FALSE(picture.isNull());
    for (const QSize size : { QSize(200, 90), QSize(37, 500), QSize(200, 90) }) {
        SCOPED_TRACE(size.width());
        QStyleOptionFrame option;
        option.rect = QRect(QPoint(), size);
        option.fontMetrics = QFontMetrics(QApplication::font());
        QImage drawn(size, QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        {
            QPainter painter(&drawn);
            style.drawPrimitive(QStyle::PE_FrameGroupBox, &option, &painter, nullptr);
        }
        // Without a box to ask, a title row is allowed for above the frame.
        const int top
            = 3 + qMax(style.pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, &option), option.fontMetrics.height());
        QImage expected(size, QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::transparent);
        {
            QPainter painter(&expected);
            qDrawBorderPixmap(
                &painter, QRect(0, top, size.width(), size.height() - top), QMargins(6, 6, 6, 6), picture);
        }
        EXPECT_EQ(drawn, expected);
        EXPECT_GT(qAlpha(drawn.pixel(size.width() / 2, size.height() - 2)), 0) << "the frame's bottom edge";
    }
}

TEST(ProgramStyle, OverflowChevronsShowAtEverySizeAndPointAlongTheBar)
{
    ProgramStyle style;
    for (const int side : { 8, 16, 24 }) {
        SCOPED_TRACE(side);
        const QImage along = style.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton).pixmap(side).toImage();
        const QImage down = style.standardIcon(QStyle::SP_ToolBarVerticalExtensionButton).pixmap(side).toImage();
        ASSERT_EQ(along.size(), QSize(side, side));
        // Inked columns of the horizontal one are its inked rows turned.
        int inked = 0;
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                inked += qAlpha(along.pixel(x, y)) > 0 ? 1 : 0;
                EXPECT_EQ(qAlpha(along.pixel(x, y)) > 0, qAlpha(down.pixel(side - 1 - y, x)) > 0) << x << "," << y;
            }
        }
        EXPECT_GT(inked, side) << "nothing drawn";
    }
}

} // namespace

#include "MainWindowControlsTest.moc"
