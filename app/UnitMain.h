#pragma once

#include "imaging/ImageList.h"
#include "platform/Result.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>

class ActionManager;
class DeferredStartup;
class DetailsReader;
class PreviewWorker;
class AnchorLayout;
class SeekSlider;
namespace PreviewPlayer {
struct Progress;
}
class BrowserFileMenu;
struct TBDMenuRequest;
class QAction;
class QCheckBox;
class QFileDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QSlider;
class DragLimitSplitter;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeWidget;

// The main window: the embedded browser on the left; on the right the
// open-with toolbar, the copy/move panel, the focused file's details and the
// preview options. One class, split into files by concern (UnitMain*.cpp).
class TFormMain : public QMainWindow
{
    Q_OBJECT

public:
    // Status panel 1 keeps this width at scale 96; panel 0 takes the rest.
    static constexpr int kStatusPanel1Width = 500;
    // The hint window opens this long after the window is first activated.
    static constexpr int kStartupTimerInterval = 100;

    explicit TFormMain(QWidget *parent = nullptr);
    ~TFormMain() override;

    // Settings store (UnitMainSettings.cpp)
    void LoadSettings();
    // Fails with "Cannot create file ..." or "Unable to write to %s" when the
    // file cannot be made or written.
    platform::Result<> SaveSettings();

    // Start-up timer and hint window
    void FormActivate();
    void TimerStartupTimer();

    // Menu handlers
    void Exit1Click();
    void Settings1Click();
    void OnlineHelp1Click();
    void PrivacyPolicy1Click();
    void About1Click();
    void ToolButton4Click();

    // Start-up work the first paint does not need (libraries, the audio
    // output) runs on a worker right after the first paint once this was
    // called; without it, each piece runs at its first use.
    void StartDeferredStartupAfterFirstPaint();
    DeferredStartup *DeferredLoading = nullptr;

    // Text of the controls' hints after " /n/n " became a line break.
    static void ConvertHintLineBreaks(QWidget *control);

    // Width of a status-bar panel (0 or 1).
    int StatusPanelWidth(int panel) const;

    // Dropped file names of the last drop, in order (the program makes no
    // further use of them).
    const QStringList &LastDroppedFiles() const { return m_lastDroppedFiles; }

    // Controls, named as in the designer.
    QWidget *PanelListerContainer = nullptr;
    DragLimitSplitter *Splitter1 = nullptr;
    QWidget *PanelBrivaneDialogsContainer = nullptr;
    QGroupBox *GroupBoxBrivaneDialogsContainer = nullptr;
    QFrame *PanelBrivaneDialogs = nullptr;
    QStatusBar *StatusBar = nullptr;
    QLabel *StatusPanel0 = nullptr;
    QLabel *StatusPanel1 = nullptr;

    QGroupBox *GroupBoxOpenWith = nullptr;
    QToolBar *ToolBar1 = nullptr;
    QToolButton *ToolButton4 = nullptr;
    QWidget *ToolButton5 = nullptr;
    QToolButton *ToolButton1 = nullptr;
    QToolButton *ToolButton2 = nullptr;
    QToolButton *ToolButton3 = nullptr;

    QGroupBox *GroupBoxFolders = nullptr;
    QLineEdit *EditFolder1 = nullptr;
    QLineEdit *EditFolder2 = nullptr;
    QLineEdit *EditFolder3 = nullptr;
    QPushButton *ButtonSelectFolder1 = nullptr;
    QPushButton *ButtonSelectFolder2 = nullptr;
    QPushButton *ButtonSelectFolder3 = nullptr;
    QPushButton *Button2 = nullptr; // Copy, row 1
    QPushButton *Button3 = nullptr; // Move, row 1
    QPushButton *Button5 = nullptr; // Copy, row 2
    QPushButton *Button6 = nullptr; // Move, row 2
    QPushButton *Button8 = nullptr; // Copy, row 3
    QPushButton *Button9 = nullptr; // Move, row 3

    QGroupBox *GroupBoxDetails = nullptr;
    // Report list with groups: each group is a top-level item spanning both
    // columns whose children are the name/value rows; rows before the first
    // group are top-level items of their own.
    QTreeWidget *ListViewDetails = nullptr;
    QMenu *PopupMenuDetails = nullptr;
    QAction *CopyValueToClipboard1 = nullptr;
    QAction *CopyNameAndValueToClipboard1 = nullptr;
    QAction *CopyAllToClipboard1 = nullptr;
    QAction *SaveCompleteListToFile1 = nullptr;

    QGroupBox *GroupBoxOptions = nullptr;
    QCheckBox *CheckBoxPreview = nullptr;
    QCheckBox *CheckBoxAutoAdvance = nullptr;
    QLabel *Label1 = nullptr;
    QSlider *TrackBarVolume = nullptr;
    QLabel *LabelVolumeValue = nullptr;
    // The transport (UnitMainTransport.cpp).
    QToolButton *ButtonPlayPause = nullptr;
    QLabel *LabelElapsed = nullptr;
    SeekSlider *TrackBarPosition = nullptr;
    QLabel *LabelTotal = nullptr;
    QCheckBox *CheckBoxLoop = nullptr;
    QTimer *TimerTransport = nullptr;

    QMenuBar *MainMenu1 = nullptr;
    QMenu *File1 = nullptr;
    QAction *Exit1 = nullptr;
    QMenu *Options1 = nullptr;
    QAction *Settings1 = nullptr;
    QAction *N3 = nullptr;
    QMenu *Help1 = nullptr;
    QAction *OnlineHelp1 = nullptr;
    QAction *About1 = nullptr;
    QAction *PrivacyPolicy1 = nullptr;

    ImageList ImageListFilesButtons;
    ActionManager *ActionManager1 = nullptr;
    QAction *ActionSpaceBar = nullptr;
    QAction *ActionSeekBack = nullptr;
    QAction *ActionSeekForward = nullptr;
    QTimer *TimerStartup = nullptr;

    QStringList SelectedFilesList;
    QString FocusedFileName;

    // ---- details (UnitMainDetails.cpp) ----
    // Has FileName's details read and shows them grouped by section,
    // replacing the previous file's in one update: at once for an ordinary
    // file, when they come for one that takes the reader longer.
    void DisplayFileDetails(const QString &FileName);
    // A read asked for whose lines the list does not show yet.
    bool DetailsPending() const { return m_detailsShown != m_detailsAsked; }
    // Replaces the list's groups and rows with those of the details lines.
    void FillDetailsView(const QStringList &lines);
    // Appends the text form of ListView's groups and rows to List.
    static void GetDetialsList(QStringList &List, const QTreeWidget *ListView);
    void CopyValueToClipboard1Click();
    void CopyNameAndValueToClipboard1Click();
    void CopyAllToClipboard1Click();
    void SaveCompleteListToFile1Click();
    // Wires the details menu's items to their handlers; called once at creation.
    void ConnectDetailsHandlers();
    // The save dialog, made at first use and kept so it remembers its folder.
    QFileDialog *DetailsSaveDialog();
    QFileDialog *SaveDialogDetialsList = nullptr;
    // The lines of generation, unless a newer read was asked for or shown.
    void ShowReadDetails(quint64 generation, const QStringList &lines);
    std::unique_ptr<DetailsReader> m_detailsReader;
    quint64 m_detailsAsked = 0;
    quint64 m_detailsShown = 0;
    // ---- end details ----

    // ---- preview (UnitMainPreview.cpp) ----
    // Wires the volume slider, the preview box and the space-bar action;
    // called once at creation, before the stored settings apply.
    void InitializePreview();
    // Loads the add-ons, lists the devices and opens the output on the one
    // the settings name, unless that happened already; waits when the
    // start-up worker is doing it.
    void EnsureAudioOutput();
    // Stops the current preview and plays FileName from its start.
    void PlayPreviewFile(const QString &FileName);
    void TrackBarVolumeChange();
    void CheckBoxPreviewClick();
    // A preview played to its end: with "Auto-advance" ticked the browser
    // moves to the next file, which then plays.
    void PreviewEnded(std::uint32_t stream, const QString &FileName);
    void ActionSpaceBarExecute();
    // Releases the audio output; called when the window is destroyed.
    void ReleaseBASS();
    // The one preview stream; stale once the library freed it, which every
    // later call with it then ignores. Set when the worker reports a play.
    std::uint32_t PreviewStream = 0;
    // Makes the preview's library calls off the GUI thread, in order; null
    // once the output is released.
    PreviewWorker *Preview = nullptr;

    // The transport (UnitMainTransport.cpp): made with the options group,
    // wired by InitializePreview.
    void CreateTransportControls(AnchorLayout *layout);
    void InitializeTransport();
    // Shows the worker's last reading and asks for the next one.
    void TimerTransportTimer();
    void ShowTransportProgress(const PreviewPlayer::Progress &progress);
    // The play/pause button takes the icon theme's faces, looked up after
    // the window's first paint.
    void AdoptThemedTransportFaces();
    // The bar's value the user picked, in milliseconds.
    void TrackBarPositionSeek(int value);
    // Moves a playing or paused preview by `seconds`, within the file.
    void SeekPreviewBy(double seconds);
    void ButtonPlayPauseClick();
    // Enter or a double-click on a file in the browser: plays it from its
    // start, also when focus changes do not play.
    void ReplayFile(const QString &FileName);
    // ---- end preview ----

    // ---- open-with and settings (UnitMainOpenWith.cpp) ----
    // The window's icon and the two stock images of the toolbar.
    void LoadIcons();
    // Draws the stock images again once FreeImage is bound, when they were
    // made before it was.
    void RefreshStockImages();
    void ConnectOpenWithButtons();
    // Shows the settings window modally (Settings... in the menu).
    void ShowFormSettings();
    // Rebuilds the image list and the three application buttons from the
    // settings window's fields.
    void DisplayOpenWithButtons();
    void DisplayOpenWithButtons32();
    void DisplayOpenWithButtonsShell();
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton3Click();
    // Index into ImageListFilesButtons that a toolbar button shows; -1 for none.
    static int ToolButtonImageIndex(const QToolButton *button);
    // ---- end open-with ----

    // ---- browser, folder picker, copy/move (UnitMainBrowser.cpp) ----
    // The embedded browser (UnitMainBrowser.cpp).
    void ConnectBrowserControls();
    void SetInitialBrivaneDialogsParameters();
    void OpenBrivaneDialogsIntegrated();
    // Files or a folder the program was started with (paths or file://
    // URLs): the browser opens at the first one's folder with it focused;
    // one that names nothing is named in the status line.
    // Read by OpenBrivaneDialogsIntegrated; set before it runs.
    void SetStartupArguments(const QStringList &arguments);
    // Refills SelectedFilesList from the browser's selection; without a
    // browser window it sends nothing and the list keeps its content.
    void GetSelectedFilesList();
    void PanelBrivaneDialogsContainerResize();
    void RefitBrivaneDialogs();
    void CloseBrivaneDialogsIntegrated();
    // What the hook does with one event of the browser.
    void HandleBrivaneDialogsEvent(std::uint32_t Msg, std::uint64_t wParam);
    // The browser hint window, shown at most once per run.
    void ShowTreeViewHintOnce();

    // The window's entries in the browser's context menu (UnitMainBrowserMenu.cpp):
    // open with, copy to and move to, run through the toolbar's and the
    // folder buttons' handlers.
    void FillBrowserFileMenu(TBDMenuRequest &request);
    void BrowserFileMenuCommand(std::uint32_t command);
    // A preset folder edit holds a folder (not empty, not the placeholder).
    static bool IsPresetFolderSet(const QString &folder);
    // The entries of the last menu request, kept while the library reads them.
    std::shared_ptr<BrowserFileMenu> BrowserMenu;

    // Folder pickers and copy/move (UnitMainCopyMove.cpp).
    void ButtonSelectFolder1Click();
    void ButtonSelectFolder2Click();
    void ButtonSelectFolder3Click();
    void Button2Click();
    void Button3Click();
    void Button5Click();
    void Button6Click();
    void Button8Click();
    void Button9Click();
    static constexpr unsigned FO_MOVE = 1;
    static constexpr unsigned FO_COPY = 2;
    void CopyMoveSelectedFiles(const QString &ToFolder, unsigned Func);

    class TBrivaneDialog *BrivaneDialogFolder = nullptr;
    // The records the library keeps using while the browser lives.
    class BrivaneDialogsIntegration *BrivaneDialogsIntegrated = nullptr;
    // The browser's window from event 2054; 0 until then, never cleared.
    std::uintptr_t BrivaneDialogsWindow = 0;
    // Shown in the browser's place when the library is missing.
    QLabel *LabelBrowserUnavailable = nullptr;
    bool m_treeViewHintShown = false;
    // ---- end browser ----

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void FormCreate();
    void FormDestroy();
    void FormResize();
    void CreateControls();
    void CreateMenus();
    void CreateRightPanel();
    void CreateFoldersGroup();
    void CreateOptionsGroup();
    void ScaleMainWindow();
    void OpenHelpPage(const QString &fileName);

    bool m_firstActivation = true;
    bool m_deferredStartupArmed = false;
    bool m_themedFacesPending = true;
    // Whether the toolbar's stock images were decoded (FreeImage was bound
    // when they were made), or are transparent place-holders.
    bool m_stockImagesDecoded = false;
    // The start-up timer fired while the window was not on screen yet.
    bool m_hintWaitsForShow = false;
    QStringList m_lastDroppedFiles;
};
