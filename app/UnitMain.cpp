#include "app/UnitMain.h"

#include "app/ActionManager.h"
#include "app/DeferredStartup.h"
#include "app/Globals.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "app/VantrelApplication.h"
#include "details/DetailsReader.h"
#include "scaling/AnchorLayout.h"
#include "scaling/DragLimitSplitter.h"
#include "scaling/ScaleFunctions.h"
#include "util/HelperTarvex.h"
#include "util/ProgramFolders.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QSlider>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

TFormMain::TFormMain(QWidget *parent)
    : QMainWindow(parent)
{
    DeferredLoading = new DeferredStartup(this);
    // The worker's results come back as queued calls on this thread.
    connect(
        DeferredLoading, &DeferredStartup::freeImageBound, this, [this] { RefreshStockImages(); },
        Qt::QueuedConnection);
    connect(
        DeferredLoading, &DeferredStartup::audioDevicesListed, this,
        [](const QStringList &names) {
            if (FormSettings)
                FormSettings->SetAudioDevices(names);
        },
        Qt::QueuedConnection);
    CreateControls();
    FormCreate();
}

TFormMain::~TFormMain()
{
    FormDestroy();
}

void TFormMain::FormCreate()
{
    setWindowState(Qt::WindowMaximized);
    if (DisplayScale != 96)
        ScaleMainWindow();
    // Menus, tooltips, the status bar and every other control without a
    // font of its own follow the scale chosen here, even at 96 on a screen
    // whose own DPI differs.
    ApplyApplicationFont(DisplayScale);
    // The menu bar and the status bar show that system font too, as the menus
    // that open from them do, rather than the window's own bold font.
    MainMenu1->setFont(SystemFontAt(DisplayScale));
    StatusBar->setFont(SystemFontAt(DisplayScale));
    SelectedFilesList.clear();

    const QString settingsPath = GetSettingsFileName();
    if (!settingsPath.isEmpty() && !QFileInfo::exists(settingsPath)) {
        if (const auto created = CreateUnicodeIniFile(settingsPath); !created)
            VantrelApplication::ReportError(created.error());
    }
    QCoreApplication::processEvents();

    LoadIcons();
    ConnectOpenWithButtons();
    ConnectDetailsHandlers();
    ConvertHintLineBreaks(this);
    setAcceptDrops(true);
    InitializePreview();
    LoadSettings();
    ConnectBrowserControls();
    SetInitialBrivaneDialogsParameters();
    ActionSpaceBar->setShortcut(QKeySequence(Qt::Key_Space));
}

void TFormMain::FormDestroy()
{
    // A window going away must not open the start-up hint from the event
    // processing below.
    TimerStartup->stop();
    // No read answers a window going away.
    m_detailsReader.reset();
    // A start still queued must not run from the event processing below.
    m_deferredStartupArmed = false;
    // The browser stores its folder as it closes: first, so a start-up
    // worker stuck for good, which ends the process below, loses nothing.
    CloseBrivaneDialogsIntegrated();
    // The worker may be opening the output that is released below.
    DeferredLoading->shutDown();
    QCoreApplication::processEvents();
    ReleaseBASS();
    SelectedFilesList.clear();
}

void TFormMain::ScaleMainWindow()
{
    DisplayScale = FitScaleToMonitor(this, DisplayScale);
    const int s = DisplayScale;
    ImageListFilesButtons.setCellSize(QSize(MulDiv(32, s, 96), MulDiv(32, s, 96)));
    ScaleWindowTree(this, s);

    ToolBar1->setFixedHeight(MulDiv(8, s, 96) + ImageListFilesButtons.height());
    ToolBar1->setIconSize(ImageListFilesButtons.cellSize());
    GroupBoxOpenWith->setFixedHeight(MulDiv(18, s, 96) + ToolBar1->height());
    if (auto *options = qobject_cast<AnchorLayout *>(GroupBoxOptions->layout())) {
        const QRect track = options->designRect(TrackBarVolume);
        QRect value = options->designRect(LabelVolumeValue);
        value.moveLeft(track.left() + track.width() + MulDiv(20, s, 96));
        options->setDesignRect(LabelVolumeValue, value);
    }
    // The whole-window pass scaled the panels' own minimum widths and the
    // splitter's drag limit once; the drag limit alone is scaled a second
    // time, as designed. The panels keep theirs, so a stored details width
    // at its minimum comes back as it was saved.
    Splitter1->setMinSize(MulDiv(Splitter1->minSize(), s, 96));

    // The status bar's font is the system font at this scale (FormCreate).
    StatusPanel1->setFixedWidth(MulDiv(kStatusPanel1Width, s, 96));
}

void TFormMain::ConvertHintLineBreaks(QWidget *control)
{
    static const QString marker = QStringLiteral(" /n/n ");
    const QObjectList children = control->children();
    for (QObject *child : children) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget)
            continue;
        QString hint = widget->toolTip();
        if (!hint.isEmpty()) {
            hint.replace(marker, QStringLiteral("\r\n"));
            widget->setToolTip(hint);
            widget->setStatusTip(hint);
        }
        if (!widget->children().isEmpty())
            ConvertHintLineBreaks(widget);
    }
}

int TFormMain::StatusPanelWidth(int panel) const
{
    const int panel1 = StatusPanel1->minimumWidth();
    if (panel == 1)
        return panel1;
    return std::max(0, width() - panel1);
}

void TFormMain::StartDeferredStartupAfterFirstPaint()
{
    DeferredLoading->setAudioOutput(FormSettings ? FormSettings->StoredAudioDevice() : QString(), this);
    m_deferredStartupArmed = true;
}

bool TFormMain::event(QEvent *event)
{
    if (m_themedFacesPending && event->type() == QEvent::Paint) {
        m_themedFacesPending = false;
        // Queued, so this paint reaches the screen first.
        QTimer::singleShot(0, this, [this] { AdoptThemedTransportFaces(); });
    }
    if (m_deferredStartupArmed && event->type() == QEvent::Paint) {
        m_deferredStartupArmed = false;
        // The worker starts once this paint has reached the screen, and only
        // after what the first paint queued for this thread (the icon-theme
        // lookups, here and in the browser, which may load plugins). SDL's
        // start forks a D-Bus helper on the worker; a fork while this thread
        // is inside the dynamic loader can leave the child stuck before it
        // runs the helper, and the worker (and the exit waiting for it) with it.
        QTimer::singleShot(
            0, DeferredLoading, [this] { QTimer::singleShot(0, DeferredLoading, &DeferredStartup::start); });
    }
    if (event->type() == QEvent::StatusTip) {
        // The hint of the control under the pointer goes to panel 0 only, so
        // panel 1 keeps whatever it shows.
        QString tip = static_cast<QStatusTipEvent *>(event)->tip();
        tip.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        StatusPanel0->setText(tip);
        // Read by the hint it shows; by what it is while it shows none.
        StatusPanel0->setAccessibleName(tip.isEmpty() ? QStringLiteral("Hint") : QString());
        return true;
    }
    return QMainWindow::event(event);
}

void TFormMain::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
    QMainWindow::changeEvent(event);
}

void TFormMain::FormActivate()
{
    if (!m_firstActivation)
        return;
    m_firstActivation = false;
    // Enabling a running timer changes nothing; one that already fired is armed again.
    if (!TimerStartup->isActive())
        TimerStartup->start();
}

void TFormMain::TimerStartupTimer()
{
    TimerStartup->stop();
    // The hint belongs over the main window. Anything that runs the event
    // loop during start-up (a message box about the settings file) can make
    // the timer fire before that window is on screen; then the first showing
    // arms it again.
    if (!isVisible()) {
        m_hintWaitsForShow = true;
        return;
    }
    ShowTreeViewHintOnce();
}

void TFormMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_hintWaitsForShow) {
        m_hintWaitsForShow = false;
        TimerStartup->start();
    }
}

void TFormMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TFormMain::FormResize()
{
    RefitBrivaneDialogs();
    StatusPanel0->setFixedWidth(StatusPanelWidth(0));
}

void TFormMain::closeEvent(QCloseEvent *event)
{
    setAcceptDrops(false);
    // The user is told; closing still goes on, so a full disk never traps them.
    if (const auto saved = SaveSettings(); !saved)
        VantrelApplication::ReportError(saved.error());
    event->accept();
}

void TFormMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TFormMain::dropEvent(QDropEvent *event)
{
    m_lastDroppedFiles.clear();
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl &url : urls)
        m_lastDroppedFiles.append(url.isLocalFile() ? url.toLocalFile() : url.toString());
    event->acceptProposedAction();
}

void TFormMain::Exit1Click()
{
    close();
}

void TFormMain::Settings1Click()
{
    ShowFormSettings();
}

void TFormMain::OpenHelpPage(const QString &fileName)
{
    // The pages ship with the program so they work offline.
    const QString path = ProgramDataFile(QStringLiteral("help/") + fileName);
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void TFormMain::OnlineHelp1Click()
{
    OpenHelpPage(QStringLiteral("online-help.html"));
}

void TFormMain::About1Click()
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("About Vantrel"),
        QStringLiteral("<p><b>Vantrel %1</b></p>"
                       "<p>Browse folders of audio files, hear each one as you move to it, read its details, "
                       "and open, copy or move it in one click.</p>"
                       "<p>Settings: %2</p>")
            .arg(QStringLiteral(VANTREL_VERSION), GetSettingsFileName().toHtmlEscaped()),
        QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("FormAbout"));
    box.setTextFormat(Qt::RichText);
    box.exec();
}

void TFormMain::PrivacyPolicy1Click()
{
    OpenHelpPage(QStringLiteral("privacy-policy.html"));
}

void TFormMain::ToolButton4Click()
{
    GroupBoxFolders->setVisible(ToolButton4->isChecked());
}
