// Building the main window's controls at their designed sizes (scale 96).
#include "app/ActionManager.h"
#include "app/DetailsHeaderView.h"
#include "app/DetailsRowDelegate.h"
#include "app/FormHelpers.h"
#include "app/UnitMain.h"
#include "scaling/AnchorLayout.h"
#include "scaling/DragLimitSplitter.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kDesignClientWidth = 1572;
constexpr int kDesignClientHeight = 728;
constexpr int kMinimumWidth = 1280;
constexpr int kMinimumHeight = 700;
constexpr int kListerWidth = 550;

} // namespace

void TFormMain::CreateControls()
{
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QStringLiteral("Vantrel"));
    setAccessibleName(QStringLiteral("Vantrel"));
    setFont(DesignFont(true));
    resize(kDesignClientWidth, kDesignClientHeight);
    setMinimumSize(kMinimumWidth, kMinimumHeight);

    CreateMenus();

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("CentralWidget"));
    central->setAccessibleName(QStringLiteral("Main area"));
    auto *centralLayout = new QHBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    setCentralWidget(central);

    Splitter1 = Named(
        new DragLimitSplitter(Qt::Horizontal, central), QStringLiteral("Splitter1"), QStringLiteral("Splitter"));
    Splitter1->setOpaqueResize(true);
    // Drags stop where either pane would become narrower than this.
    Splitter1->setMinSize(kListerWidth);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->setHandleWidth(3);
    centralLayout->addWidget(Splitter1);

    PanelBrivaneDialogsContainer = Named(
        new QWidget(Splitter1), QStringLiteral("PanelBrivaneDialogsContainer"), QStringLiteral("Browser container"));
    auto *leftLayout = new QVBoxLayout(PanelBrivaneDialogsContainer);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    GroupBoxBrivaneDialogsContainer = Named(new QGroupBox(QStringLiteral(" Browser: "), PanelBrivaneDialogsContainer),
        QStringLiteral("GroupBoxBrivaneDialogsContainer"), QStringLiteral(" Browser: "));
    leftLayout->addWidget(GroupBoxBrivaneDialogsContainer);
    auto *browserLayout = new QVBoxLayout(GroupBoxBrivaneDialogsContainer);
    browserLayout->setContentsMargins(2, 2, 2, 2);
    PanelBrivaneDialogs = Named(
        new QFrame(GroupBoxBrivaneDialogsContainer), QStringLiteral("PanelBrivaneDialogs"), QStringLiteral("Browser"));
    PanelBrivaneDialogs->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // The embedded browser inherits this font; only the group captions are bold.
    WithDesignFont(PanelBrivaneDialogs);
    browserLayout->addWidget(PanelBrivaneDialogs);

    PanelListerContainer
        = Named(new QWidget(Splitter1), QStringLiteral("PanelListerContainer"), QStringLiteral("Details panel"));
    PanelListerContainer->setMinimumWidth(kListerWidth);
    PanelBrivaneDialogsContainer->setMinimumWidth(kListerWidth);
    Splitter1->addWidget(PanelBrivaneDialogsContainer);
    Splitter1->addWidget(PanelListerContainer);
    Splitter1->handle(1)->setAccessibleName(QStringLiteral("Resize details and browser"));
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({ kDesignClientWidth - kListerWidth, kListerWidth });
    CreateRightPanel();

    StatusBar = Named(new QStatusBar(this), QStringLiteral("StatusBar"), QStringLiteral("Status bar"));
    StatusBar->setSizeGripEnabled(false);
    setStatusBar(StatusBar);
    StatusPanel0 = Named(new QLabel(StatusBar), QStringLiteral("StatusPanel0"), QStringLiteral("Hint"));
    StatusPanel1 = Named(new QLabel(StatusBar), QStringLiteral("StatusPanel1"), QStringLiteral("Status"));
    StatusPanel1->setFixedWidth(kStatusPanel1Width);
    StatusBar->addWidget(StatusPanel0);
    StatusBar->addWidget(StatusPanel1);

    ActionManager1 = new ActionManager(this);
    ActionManager1->setObjectName(QStringLiteral("ActionManager1"));
    ActionSpaceBar = NamedAction(this, QStringLiteral("ActionSpaceBar"), QStringLiteral("Action"));
    ActionManager1->addAction(ActionSpaceBar);
    // Seeking from wherever the focus is, the file list included.
    ActionSeekBack = NamedAction(this, QStringLiteral("ActionSeekBack"), QStringLiteral("Back 5 seconds"));
    ActionSeekBack->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Left));
    ActionManager1->addAction(ActionSeekBack);
    ActionSeekForward = NamedAction(this, QStringLiteral("ActionSeekForward"), QStringLiteral("Forward 5 seconds"));
    ActionSeekForward->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Right));
    ActionManager1->addAction(ActionSeekForward);

    TimerStartup = new QTimer(this);
    TimerStartup->setObjectName(QStringLiteral("TimerStartup"));
    TimerStartup->setInterval(kStartupTimerInterval);
    connect(TimerStartup, &QTimer::timeout, this, &TFormMain::TimerStartupTimer);
    TimerStartup->start();
}

void TFormMain::CreateMenus()
{
    MainMenu1 = Named(new QMenuBar(this), QStringLiteral("MainMenu1"), QStringLiteral("Menu bar"));
    setMenuBar(MainMenu1);

    // Mnemonics (Alt+F, Alt+O, Alt+H) open the menus from the keyboard.
    File1 = Named(MainMenu1->addMenu(QStringLiteral("&File")), QStringLiteral("File1"), QStringLiteral("File"));
    Exit1 = NamedAction(File1, QStringLiteral("Exit1"), QStringLiteral("E&xit"));
    Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    File1->addAction(Exit1);
    connect(Exit1, &QAction::triggered, this, &TFormMain::Exit1Click);

    Options1
        = Named(MainMenu1->addMenu(QStringLiteral("&Options")), QStringLiteral("Options1"), QStringLiteral("Options"));
    Settings1 = NamedAction(Options1, QStringLiteral("Settings1"), QStringLiteral("&Settings..."));
    Options1->addAction(Settings1);
    N3 = Options1->addSeparator();
    N3->setObjectName(QStringLiteral("N3"));
    connect(Settings1, &QAction::triggered, this, &TFormMain::Settings1Click);

    Help1 = Named(MainMenu1->addMenu(QStringLiteral("&Help")), QStringLiteral("Help1"), QStringLiteral("Help"));
    OnlineHelp1 = NamedAction(Help1, QStringLiteral("OnlineHelp1"), QStringLiteral("Online &Help..."));
    PrivacyPolicy1 = NamedAction(Help1, QStringLiteral("PrivacyPolicy1"), QStringLiteral("&Privacy Policy..."));
    About1 = NamedAction(Help1, QStringLiteral("About1"), QStringLiteral("&About Vantrel..."));
    Help1->addAction(OnlineHelp1);
    Help1->addAction(PrivacyPolicy1);
    Help1->addSeparator();
    Help1->addAction(About1);
    connect(OnlineHelp1, &QAction::triggered, this, &TFormMain::OnlineHelp1Click);
    connect(PrivacyPolicy1, &QAction::triggered, this, &TFormMain::PrivacyPolicy1Click);
    connect(About1, &QAction::triggered, this, &TFormMain::About1Click);
}

void TFormMain::CreateRightPanel()
{
    auto *rightLayout = new QVBoxLayout(PanelListerContainer);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);

    GroupBoxOpenWith = Named(new QGroupBox(QStringLiteral(" Open file in application: "), PanelListerContainer),
        QStringLiteral("GroupBoxOpenWith"), QStringLiteral(" Open file in application: "));
    GroupBoxOpenWith->setFixedHeight(58);
    auto *openWithLayout = new QVBoxLayout(GroupBoxOpenWith);
    openWithLayout->setContentsMargins(2, 0, 2, 0);
    ToolBar1
        = Named(new QToolBar(GroupBoxOpenWith), QStringLiteral("ToolBar1"), QStringLiteral("Open with applications"));
    ToolBar1->setFont(DesignFont(false));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(ImageListFilesButtons.cellSize());
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    openWithLayout->addWidget(ToolBar1);

    ToolButton4 = Named(new QToolButton(ToolBar1), QStringLiteral("ToolButton4"),
        QStringLiteral("Display copy/move selected file(s) to folder panel."));
    ToolButton4->setCheckable(true);
    ToolButton4->setFixedSize(38, 38);
    ToolButton4->setToolButtonStyle(Qt::ToolButtonIconOnly);
    SetHint(ToolButton4, QStringLiteral("Display copy/move selected file(s) to folder panel."));
    connect(ToolButton4, &QToolButton::clicked, this, &TFormMain::ToolButton4Click);
    ToolBar1->addWidget(ToolButton4);

    ToolButton5 = Named(new QWidget(ToolBar1), QStringLiteral("ToolButton5"), QStringLiteral("Separator"));
    ToolButton5->setFixedWidth(8);
    ToolBar1->addWidget(ToolButton5);

    QToolButton **appButtons[] = { &ToolButton1, &ToolButton2, &ToolButton3 };
    for (int i = 0; i < 3; ++i) {
        auto *button = new QToolButton(ToolBar1);
        button->setObjectName(QStringLiteral("ToolButton%1").arg(i + 1));
        button->setText(QStringLiteral("No app. specified  "));
        button->setAccessibleName(QStringLiteral("No app. specified  "));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setFixedSize(132, 38);
        SetHint(button, QStringLiteral("Open selected file(s) in application specified in settings."));
        ToolBar1->addWidget(button);
        *appButtons[i] = button;
    }
    rightLayout->addWidget(GroupBoxOpenWith);

    CreateFoldersGroup();
    rightLayout->addWidget(GroupBoxFolders);

    GroupBoxDetails = Named(new QGroupBox(QStringLiteral(" Selected audio file's details: "), PanelListerContainer),
        QStringLiteral("GroupBoxDetails"), QStringLiteral(" Selected audio file's details: "));
    auto *detailsLayout = new QVBoxLayout(GroupBoxDetails);
    detailsLayout->setContentsMargins(2, 2, 2, 2);
    ListViewDetails = Named(new QTreeWidget(GroupBoxDetails), QStringLiteral("ListViewDetails"),
        QStringLiteral("Details about the selected audio file."));
    WithDesignFont(ListViewDetails);
    SetHint(ListViewDetails, QStringLiteral("Details about the selected audio file."));
    // Before the columns and captions, so the header answers for them.
    ListViewDetails->setHeader(new DetailsHeaderView(ListViewDetails));
    ListViewDetails->setItemDelegate(new DetailsRowDelegate(ListViewDetails));
    ListViewDetails->setColumnCount(2);
    ListViewDetails->setHeaderLabels({ QStringLiteral("Attribute name"), QStringLiteral("Value") });
    ListViewDetails->setColumnWidth(0, 200);
    ListViewDetails->header()->setStretchLastSection(true);
    ListViewDetails->header()->setSectionsMovable(false);
    ListViewDetails->setRootIsDecorated(false);
    ListViewDetails->setItemsExpandable(false);
    ListViewDetails->setUniformRowHeights(true);
    ListViewDetails->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListViewDetails->setSelectionMode(QAbstractItemView::SingleSelection);
    ListViewDetails->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListViewDetails->setContextMenuPolicy(Qt::CustomContextMenu);
    detailsLayout->addWidget(ListViewDetails);

    PopupMenuDetails
        = Named(new QMenu(ListViewDetails), QStringLiteral("PopupMenuDetails"), QStringLiteral("Details menu"));
    CopyValueToClipboard1 = NamedAction(
        PopupMenuDetails, QStringLiteral("CopyValueToClipboard1"), QStringLiteral("Copy Value To Clipboard"));
    CopyNameAndValueToClipboard1 = NamedAction(PopupMenuDetails, QStringLiteral("CopyNameAndValueToClipboard1"),
        QStringLiteral("Copy Name And Value To Clipboard"));
    CopyAllToClipboard1 = NamedAction(
        PopupMenuDetails, QStringLiteral("CopyAllToClipboard1"), QStringLiteral("Copy Complete List To Clipboard"));
    SaveCompleteListToFile1 = NamedAction(
        PopupMenuDetails, QStringLiteral("SaveCompleteListToFile1"), QStringLiteral("Save Complete List To File..."));
    PopupMenuDetails->addActions(
        { CopyValueToClipboard1, CopyNameAndValueToClipboard1, CopyAllToClipboard1, SaveCompleteListToFile1 });
    // The usual keys while the list has the focus: Ctrl+C copies the whole
    // row rather than Qt's default of the name alone.
    CopyNameAndValueToClipboard1->setShortcut(QKeySequence::Copy);
    CopyAllToClipboard1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    SaveCompleteListToFile1->setShortcut(QKeySequence::Save);
    for (QAction *action : { CopyNameAndValueToClipboard1, CopyAllToClipboard1, SaveCompleteListToFile1 }) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        ListViewDetails->addAction(action);
    }
    connect(ListViewDetails, &QWidget::customContextMenuRequested, this,
        [this](const QPoint &pos) { PopupMenuDetails->popup(ListViewDetails->viewport()->mapToGlobal(pos)); });
    rightLayout->addWidget(GroupBoxDetails, 1);

    CreateOptionsGroup();
    rightLayout->addWidget(GroupBoxOptions);
}

void TFormMain::CreateFoldersGroup()
{
    GroupBoxFolders
        = Named(new QGroupBox(QStringLiteral(" Copy/move selected file(s) to folder: "), PanelListerContainer),
            QStringLiteral("GroupBoxFolders"), QStringLiteral(" Copy/move selected file(s) to folder: "));
    GroupBoxFolders->setFixedHeight(111);
    GroupBoxFolders->setVisible(false);
    auto *layout = new AnchorLayout(GroupBoxFolders, QSize(kListerWidth, 111));

    struct Row
    {
        QLineEdit **edit;
        QPushButton **select;
        QPushButton **copy;
        QPushButton **move;
        int top;
        const char *copyName;
        const char *moveName;
    };
    const Row rows[] = {
        { &EditFolder1, &ButtonSelectFolder1, &Button2, &Button3, 24, "Button2", "Button3" },
        { &EditFolder2, &ButtonSelectFolder2, &Button5, &Button6, 51, "Button5", "Button6" },
        { &EditFolder3, &ButtonSelectFolder3, &Button8, &Button9, 78, "Button8", "Button9" },
    };
    int number = 1;
    for (const Row &row : rows) {
        const QString n = QString::number(number++);
        auto *edit = Named(new QLineEdit(QStringLiteral("Select a folder..."), GroupBoxFolders),
            QStringLiteral("EditFolder") + n, QStringLiteral("Folder ") + n);
        WithDesignFont(edit);
        layout->addWidget(
            edit, QRect(6, row.top, 371, 21), AnchorLayout::Left | AnchorLayout::Top | AnchorLayout::Right);
        auto *select = Named(new QPushButton(QStringLiteral("..."), GroupBoxFolders),
            QStringLiteral("ButtonSelectFolder") + n, QStringLiteral("Select folder ") + n);
        layout->addWidget(select, QRect(380, row.top - 2, 25, 25), AnchorLayout::Top | AnchorLayout::Right);
        auto *copy = Named(new QPushButton(QStringLiteral("Copy"), GroupBoxFolders), QString::fromLatin1(row.copyName),
            QStringLiteral("Copy to folder ") + n);
        WithDesignFont(copy);
        layout->addWidget(copy, QRect(408, row.top - 2, 59, 25), AnchorLayout::Top | AnchorLayout::Right);
        auto *move = Named(new QPushButton(QStringLiteral("Move"), GroupBoxFolders), QString::fromLatin1(row.moveName),
            QStringLiteral("Move to folder ") + n);
        WithDesignFont(move);
        layout->addWidget(move, QRect(470, row.top - 2, 60, 25), AnchorLayout::Top | AnchorLayout::Right);
        *row.edit = edit;
        *row.select = select;
        *row.copy = copy;
        *row.move = move;
    }
}

void TFormMain::CreateOptionsGroup()
{
    GroupBoxOptions = Named(new QGroupBox(QStringLiteral(" Options: "), PanelListerContainer),
        QStringLiteral("GroupBoxOptions"), QStringLiteral(" Options: "));
    // A second row below the designed one holds the transport.
    constexpr int kOptionsHeight = 94;
    GroupBoxOptions->setFixedHeight(kOptionsHeight);
    auto *layout = new AnchorLayout(GroupBoxOptions, QSize(kListerWidth, kOptionsHeight));

    CheckBoxPreview = Named(new QCheckBox(QStringLiteral("Preview on select"), GroupBoxOptions),
        QStringLiteral("CheckBoxPreview"), QStringLiteral("Preview on select"));
    WithDesignFont(CheckBoxPreview);
    SetHint(CheckBoxPreview, QStringLiteral("Play the audio file when selecting it. Space bar toggles play/pause."));
    // The style draws the box at the screen's DPI, which on a dense screen
    // needs more than the designed 17 pixels.
    layout->addWidget(CheckBoxPreview, QRect(QPoint(16, 28), QSize(137, 17).expandedTo(CheckBoxPreview->sizeHint())));

    CheckBoxAutoAdvance = Named(new QCheckBox(QStringLiteral("Auto-advance"), GroupBoxOptions),
        QStringLiteral("CheckBoxAutoAdvance"), QStringLiteral("Auto-advance"));
    WithDesignFont(CheckBoxAutoAdvance);
    SetHint(
        CheckBoxAutoAdvance, QStringLiteral("When a preview ends, go on to the next file in the list and play it."));
    layout->addWidget(
        CheckBoxAutoAdvance, QRect(QPoint(160, 28), QSize(100, 17).expandedTo(CheckBoxAutoAdvance->sizeHint())));

    Label1 = Named(
        new QLabel(QStringLiteral("Volume:"), GroupBoxOptions), QStringLiteral("Label1"), QStringLiteral("Volume:"));
    WithDesignFont(Label1);
    SetHint(Label1, QStringLiteral("Preview playback volume."));
    layout->addWidget(Label1, QRect(294, 26, 0, 0), AnchorLayout::Top | AnchorLayout::Right);

    TrackBarVolume = Named(
        new QSlider(Qt::Horizontal, GroupBoxOptions), QStringLiteral("TrackBarVolume"), QStringLiteral("Volume"));
    TrackBarVolume->setRange(0, 100);
    TrackBarVolume->setTickPosition(QSlider::TicksBothSides);
    TrackBarVolume->setTickInterval(10);
    TrackBarVolume->setPageStep(10);
    TrackBarVolume->setValue(100);
    layout->addWidget(TrackBarVolume, QRect(338, 14, 150, 42), AnchorLayout::Top | AnchorLayout::Right);

    LabelVolumeValue = Named(new QLabel(QStringLiteral("100%"), GroupBoxOptions), QStringLiteral("LabelVolumeValue"),
        QStringLiteral("Volume value"));
    WithDesignFont(LabelVolumeValue);
    SetHint(LabelVolumeValue, QStringLiteral("Preview playback volume."));
    layout->addWidget(LabelVolumeValue, QRect(494, 26, 0, 0), AnchorLayout::Top | AnchorLayout::Right);

    CreateTransportControls(layout);
}
