// The embedded browser: seeding its remembered folder, opening it inside the
// main window, answering its events and asking it for the selection.
#include "app/ActionManager.h"
#include "app/DialogTreeViewHint.h"
#include "app/ErrorBoundary.h"
#include "app/Globals.h"
#include "app/SettingsFile.h"
#include "app/StartupFiles.h"
#include "app/UnitMain.h"
#include "app/VantrelApplication.h"
#include "browser/BrivaneDialogsDefs.h"
#include "browser/BrivaneDialogsDynamic.h"
#include "platform/IniDocument.h"
#include "platform/KeyStore.h"
#include "platform/WindowMessage.h"
#include "util/SpecialFolders.h"

#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QHash>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <sys/stat.h>

namespace {

const TBDGUID kBrowserGUID = { 0x14041EA1, 0x43B5, 0x474A, { 0xB7, 0xBA, 0xCA, 0xE3, 0xB9, 0x46, 0x00, 0x48 } };
const TBDGUID kFolderPickerGUID = { 0xC35263F7, 0x648F, 0x4F47, { 0xB9, 0x63, 0x82, 0xA4, 0x65, 0xE6, 0x9E, 0x5D } };

constexpr TOpenOptions kBrowserOptions
    = ofAllowMultiSelect | ofNotModal | ofNoClose | ofIntegrate | ofNoCloseButton | ofOnSelectFilename;
constexpr TOpenOptionsEx kBrowserOptionsEx = ofExNoOpenButtons;

constexpr int kThumbnailMinimum = 32;
constexpr int kThumbnailMaximum = 10000;

const char16_t *textOf(const QString &text)
{
    return reinterpret_cast<const char16_t *>(text.utf16());
}

int thumbnailSetting(const QString &key, int defaultValue)
{
    // The settings window's spin edits hold the same clamped values at
    // start-up; the browser reads them once, here.
    const SettingsFile ini(GetSettingsFileName());
    return std::clamp(
        ini.ReadInteger(QStringLiteral("Display"), key, defaultValue), kThumbnailMinimum, kThumbnailMaximum);
}

} // namespace

// The records handed to the library. It keeps using the parameter record
// (every event carries its address) for as long as the browser lives.
class BrivaneDialogsIntegration : public QObject
{
public:
    explicit BrivaneDialogsIntegration(TFormMain *form)
        : QObject(form)
        , m_form(form)
    {
        setObjectName(QStringLiteral("BrivaneDialogsIntegration"));
        registry().insert(&Params, this);
    }

    ~BrivaneDialogsIntegration() override { registry().remove(&Params); }

    static BrivaneDialogsIntegration *find(const TOpenDialogParams *params) { return registry().value(params); }

    TFormMain *form() const { return m_form; }

    // Set once the browser was told to close: the main window is being torn
    // down, and what the library reports while it closes (focus leaving a
    // field and the like) must not reach the window's half-destroyed state.
    bool Closed = false;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize && watched == m_form->PanelBrivaneDialogsContainer)
            m_form->PanelBrivaneDialogsContainerResize();
        return false;
    }

    TOpenDialogParams Params {};
    TOpenDialogResults Results {};
    // The long-standing list first, in its order; then the formats Linux
    // collections hold in bulk, all of which the preview plays.
    const QString Filter = QStringLiteral(
        "All audio files|*.mp3;*.mp2;*.mp1;*.flac;*.fla;*.flc;*.oga;*.wav;*.aif;*.aiff;*.aifc;*.afc;*.mp4;*.m4a;*.m4b;"
        "*.aac;*.ac3;*.mpc;*.mpa;*.wma;*.dff;*.dsf;*.ogg;*.opus;*.wv;*.ape;*.spx;*.tta;*.caf;*.w64;*.mka");
    const QString Title = QStringLiteral("Audio files from");
    // Where the program was asked to open; kept here because the library
    // reads the texts through the parameter record.
    QString StartupFolder;
    QString StartupFile;

private:
    static QHash<const TOpenDialogParams *, BrivaneDialogsIntegration *> &registry()
    {
        static QHash<const TOpenDialogParams *, BrivaneDialogsIntegration *> map;
        return map;
    }

    TFormMain *m_form;
};

namespace {

std::uint32_t BrivaneDialogsHookProc(BDWindowHandle, std::uint32_t Msg, std::uint64_t wParam, std::int64_t lParam)
{
    BrivaneDialogsIntegration *integration
        = BrivaneDialogsIntegration::find(reinterpret_cast<const TOpenDialogParams *>(lParam));
    if (!integration)
        return 1;
    // A finished results record goes back to the library whatever state the
    // window is in.
    if (Msg == bdEventFreeResults) {
        if (const auto freeResults = BrivaneDialogsDynamic().FreeDialogResults())
            freeResults(reinterpret_cast<TOpenDialogResults *>(wParam));
        return 1;
    }
    if (integration->Closed)
        return 1;
    // The library's frames sit between us and the event loop: no error may
    // unwind through them, so each is shown here as the general handler would.
    try {
        integration->form()->HandleBrivaneDialogsEvent(Msg, wParam);
    } catch (...) {
        VantrelApplication::ReportCurrentException();
    }
    return 1;
}

} // namespace

void TFormMain::ConnectBrowserControls()
{
    BrivaneDialogsIntegrated = new BrivaneDialogsIntegration(this);
    PanelBrivaneDialogsContainer->installEventFilter(BrivaneDialogsIntegrated);

    BrivaneDialogFolder = new TBrivaneDialog(this);
    BrivaneDialogFolder->setObjectName(QStringLiteral("BrivaneDialogFolder"));
    BrivaneDialogFolder->setDialogType(bvdtFolderDialog);
    BrivaneDialogFolder->setFilterIndex(0);
    BrivaneDialogFolder->setDialogGUID(GUIDToString(kFolderPickerGUID));
    BrivaneDialogFolder->setStyle(bdsWindows);

    connect(ButtonSelectFolder1, &QPushButton::clicked, this, Guarded(this, &TFormMain::ButtonSelectFolder1Click));
    connect(ButtonSelectFolder2, &QPushButton::clicked, this, Guarded(this, &TFormMain::ButtonSelectFolder2Click));
    connect(ButtonSelectFolder3, &QPushButton::clicked, this, Guarded(this, &TFormMain::ButtonSelectFolder3Click));
    connect(Button2, &QPushButton::clicked, this, Guarded(this, &TFormMain::Button2Click));
    connect(Button3, &QPushButton::clicked, this, Guarded(this, &TFormMain::Button3Click));
    connect(Button5, &QPushButton::clicked, this, Guarded(this, &TFormMain::Button5Click));
    connect(Button6, &QPushButton::clicked, this, Guarded(this, &TFormMain::Button6Click));
    connect(Button8, &QPushButton::clicked, this, Guarded(this, &TFormMain::Button8Click));
    connect(Button9, &QPushButton::clicked, this, Guarded(this, &TFormMain::Button9Click));
}

void TFormMain::SetInitialBrivaneDialogsParameters()
{
    platform::KeyStore store;
    const QString key = BrivaneDialogsSettingsKey(GUIDToString(kBrowserGUID));
    // Only the first run for a user seeds the key; afterwards it belongs to
    // the library, whatever it holds.
    if (store.keyExists(key))
        return;
    QString music = GetSpecialFolderPath(CSIDL_MYMUSIC);
    if (!music.isEmpty() && !music.endsWith(QLatin1Char('/')))
        music += QLatin1Char('/');
    // A key store that cannot be written only costs the first run its
    // starting folder; the browser then opens in its default one.
    (void)store.edit([&](platform::IniDocument &doc) {
        doc.addSection(key);
        if (!music.isEmpty() && !platform::holdsLineBreak(music))
            doc.setValue(key, QStringLiteral("Folder"), music);
    });
}

void TFormMain::SetStartupArguments(const QStringList &arguments)
{
    if (!BrivaneDialogsIntegrated)
        ConnectBrowserControls();
    const StartupLocation location = StartupLocationFromArguments(arguments, QDir::currentPath());
    BrivaneDialogsIntegrated->StartupFolder = location.folder;
    BrivaneDialogsIntegrated->StartupFile = location.file;
    // Panel 1 keeps what it shows while hints come and go in panel 0.
    if (!location.missing.isEmpty()) {
        const QString message = QStringLiteral("Not found: %1").arg(location.missing);
        StatusPanel1->setText(message);
        StatusPanel1->setToolTip(message);
        // Read by the message it shows, as panel 0 is by its hint.
        StatusPanel1->setAccessibleName(QString());
    }
}

void TFormMain::OpenBrivaneDialogsIntegrated()
{
    if (!BrivaneDialogsIntegrated)
        ConnectBrowserControls();
    BrivaneDialogsIntegration &browser = *BrivaneDialogsIntegrated;
    TOpenDialogParams &params = browser.Params;
    params = TOpenDialogParams {};
    params.Options = kBrowserOptions;
    params.OptionsEx = kBrowserOptionsEx;
    params.ParentWindow = platform::handleOf(PanelBrivaneDialogs);
    params.HookProc = &BrivaneDialogsHookProc;
    params.DialogGUID = kBrowserGUID;
    // Read once: later changes in the settings window reach the browser at
    // the next start.
    const QString additional = QStringLiteral("UIDPIScaling=") + QString::number(DisplayScale)
        + QStringLiteral("\r\nThumbnailsWidth=")
        + QString::number(thumbnailSetting(QStringLiteral("Thumbnail width"), 400))
        + QStringLiteral("\r\nThumbnailsHeight=")
        + QString::number(thumbnailSetting(QStringLiteral("Thumbnail height"), 100));
    params.AdditionalParameters = textOf(additional);
    params.Filters = textOf(browser.Filter);
    params.Title = textOf(browser.Title);
    if (!browser.StartupFolder.isEmpty())
        params.InitialDir = textOf(browser.StartupFolder);
    if (!browser.StartupFile.isEmpty())
        params.FileName = textOf(browser.StartupFile);
    browser.Results = TOpenDialogResults {};

    const BrivaneDialogsBinding &binding = BrivaneDialogsDynamic();
    if (const TBrivaneDialogs_OpenDialog open = binding.OpenDialog()) {
        open(&params, &browser.Results);
    } else {
        LabelBrowserUnavailable = new QLabel(PanelBrivaneDialogs);
        LabelBrowserUnavailable->setObjectName(QStringLiteral("LabelBrowserUnavailable"));
        LabelBrowserUnavailable->setAccessibleName(QStringLiteral("Browser unavailable"));
        LabelBrowserUnavailable->setWordWrap(true);
        LabelBrowserUnavailable->setAlignment(Qt::AlignCenter);
        LabelBrowserUnavailable->setText(binding.IsLoaded()
                ? QStringLiteral("The file browser is not available: the installed %1 is incomplete.")
                      .arg(QString::fromLatin1(bdLibraryFileName))
                : QStringLiteral("The file browser is not available: %1 was not found beside the program or on the "
                                 "library path.")
                      .arg(QString::fromLatin1(bdLibraryFileName)));
        auto *layout = new QVBoxLayout(PanelBrivaneDialogs);
        layout->addWidget(LabelBrowserUnavailable);
    }
    // The text is read during the call only.
    params.AdditionalParameters = nullptr;
}

void TFormMain::HandleBrivaneDialogsEvent(std::uint32_t Msg, std::uint64_t wParam)
{
    switch (Msg) {
    case bdEventFocusChanged: {
        const auto *item = reinterpret_cast<const TBDFocusedItem *>(wParam);
        FocusedFileName = item && item->FileName ? QString::fromUtf16(item->FileName) : QString();
        // The sound first: the preview only queues the file for its worker,
        // while the details may wait a few milliseconds for theirs.
        if (CheckBoxPreview->isChecked())
            PlayPreviewFile(FocusedFileName);
        DisplayFileDetails(FocusedFileName);
        break;
    }
    case bdEventFileActivated: {
        const auto *item = reinterpret_cast<const TBDFocusedItem *>(wParam);
        ReplayFile(item && item->FileName ? QString::fromUtf16(item->FileName) : QString());
        break;
    }
    case bdEventSelection: {
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
        SelectedFilesList.clear();
        const auto *selection = reinterpret_cast<const TOpenDialogResults *>(wParam);
        for (const char16_t *name = selection ? selection->FileNames : nullptr; name && *name != 0;) {
            const QString fileName = QString::fromUtf16(name);
            name += fileName.size() + 1;
            // stat() follows symbolic links: a link to an existing file
            // counts. Called once per selected name, so no QFileInfo. A name
            // that cannot be examined is left out; the others go on.
            struct stat info
            {
            };
            if (::stat(QFile::encodeName(fileName).constData(), &info) == 0 && S_ISREG(info.st_mode))
                SelectedFilesList.append(fileName);
        }
        // Back to the normal cursor, whatever was in force before.
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
        break;
    }
    case bdEventTextFocus:
        if (wParam == 1)
            ActionManager1->setSuspended(true);
        else if (wParam == 0)
            ActionManager1->setSuspended(false);
        break;
    case bdEventFreeResults:
        if (const auto freeResults = BrivaneDialogsDynamic().FreeDialogResults())
            freeResults(reinterpret_cast<TOpenDialogResults *>(wParam));
        break;
    case bdEventWindowCreated:
        BrivaneDialogsWindow = std::uintptr_t(wParam);
        break;
    case bdEventCloseRequest:
        close();
        break;
    case bdEventFileMenu:
        if (wParam != 0)
            FillBrowserFileMenu(*reinterpret_cast<TBDMenuRequest *>(wParam));
        break;
    case bdEventFileMenuCommand:
        BrowserFileMenuCommand(std::uint32_t(wParam));
        break;
    default:
        break;
    }
}

void TFormMain::GetSelectedFilesList()
{
    if (BrivaneDialogsWindow != 0)
        platform::sendWindowMessage(BrivaneDialogsWindow, bdMsgReportSelection);
}

void TFormMain::PanelBrivaneDialogsContainerResize()
{
    RefitBrivaneDialogs();
}

void TFormMain::RefitBrivaneDialogs()
{
    if (BrivaneDialogsWindow != 0)
        platform::sendWindowMessage(BrivaneDialogsWindow, bdMsgRefit);
}

void TFormMain::CloseBrivaneDialogsIntegrated()
{
    if (BrivaneDialogsWindow != 0)
        platform::sendWindowMessage(BrivaneDialogsWindow, platform::kWmClose);
    if (BrivaneDialogsIntegrated)
        BrivaneDialogsIntegrated->Closed = true;
}

void TFormMain::ShowTreeViewHintOnce()
{
    // The start-up timer can fire a second time; the hint belongs to the
    // first only.
    if (m_treeViewHintShown || !ShowTreeViewHint)
        return;
    m_treeViewHintShown = true;
    QPointer<TFormTreeViewHint> hint = new TFormTreeViewHint(this, BrivaneDialogsWindow);
    FormTreeViewHint = hint;
    // The window frees itself when it closes.
    hint->exec();
}
