#include "browser/BrivaneDialogsDefs.h"

#include "platform/IniDocument.h"
#include "platform/KeyStore.h"
#include "util/VantrelError.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QWidget>

#include <array>
#include <utility>

namespace {

const std::array<const char *, 36> kStyleNames = {
    "Windows",
    "Amakrits",
    "Amethyst Kamri",
    "Aqua Graphite",
    "Aqua Light Slate",
    "Auric",
    "Carbon",
    "Charcoal Dark Slate",
    "Cobalt XEMedia",
    "Cyan Dusk",
    "Cyan Night",
    "Emerald Light Slate",
    "Glossy",
    "Glow",
    "Golden Graphite",
    "Iceberg Classico",
    "Lavender Classico",
    "Light",
    "Luna",
    "Obsidian",
    "Onyx Blue",
    "Ruby Graphite",
    "Sapphire Kamri",
    "Silver",
    "Sky",
    "Slate Classico",
    "Smokey Quartz Kamri",
    "Tablet Dark",
    "Tablet Light",
    "Turquoise Gray",
    "Windows10",
    "Windows10 Blue",
    "Windows10 Dark",
    "Windows10 Green",
    "Windows10 Purple",
    "Windows10 SlateGray",
};

const char16_t *textOf(const QString &text)
{
    // An empty QString still yields the address of an empty string.
    return reinterpret_cast<const char16_t *>(text.utf16());
}

QString fromText(const char16_t *text)
{
    return text ? QString::fromUtf16(text) : QString();
}

int hexValue(QChar c)
{
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return c.unicode() - '0';
    if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        return c.unicode() - 'a' + 10;
    if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        return c.unicode() - 'A' + 10;
    return -1;
}

// "desc|pat;pat|desc|pat" as the name filters of a standard dialog.
QStringList nameFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        result.append(parts.at(i) + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return result;
}

QString withTrailingDelimiter(const QString &folder)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

TBrivaneDialogsLastSettings readLastSettings(const QString &guidText)
{
    TBrivaneDialogsLastSettings last;
    const platform::KeyStoreReader store;
    const QString key = BrivaneDialogsSettingsKey(guidText);
    if (!store.keyExists(key))
        return last;
    if (const auto folder = store.readString(key, QStringLiteral("Folder")))
        last.Folder = *folder;
    if (const auto index = store.readDword(key, QStringLiteral("Filter index")))
        last.FilterIndex = std::int32_t(*index);
    return last;
}

void writeLastSettings(const QString &guidText, const TBrivaneDialogsLastSettings &last)
{
    const QString key = BrivaneDialogsSettingsKey(guidText);
    // A folder whose name holds a line break cannot be stored as it is; the
    // folder remembered before stays. A store that cannot be written only
    // costs the next dialog its starting folder: nothing is reported.
    const bool storeFolder
        = !last.Folder.isEmpty() && !platform::holdsLineBreak(last.Folder) && QFileInfo(last.Folder).isDir();
    (void)platform::KeyStore().edit([&](platform::IniDocument &doc) {
        doc.addSection(key);
        if (storeFolder)
            doc.setValue(key, QStringLiteral("Folder"), last.Folder);
        doc.setValue(key, QStringLiteral("Filter index"), QString::number(quint32(last.FilterIndex)));
    });
}

QFileDialog::Options standardOptions(TOpenOptions options)
{
    QFileDialog::Options result;
    if (options & ofReadOnly)
        result |= QFileDialog::ReadOnly;
    if (!(options & ofOverwritePrompt))
        result |= QFileDialog::DontConfirmOverwrite;
    if (options & ofNoDereferenceLinks)
        result |= QFileDialog::DontResolveSymlinks;
    return result;
}

} // namespace

QString BDStyleName(TBDStyle style)
{
    const auto index = std::size_t(style);
    return index < kStyleNames.size() ? QString::fromLatin1(kStyleNames[index]) : QString();
}

QString GUIDToString(const TBDGUID &guid)
{
    return platform::GuidKeyName(guid.Data1, guid.Data2, guid.Data3, guid.Data4);
}

TBDGUID StringToGUID(const QString &text)
{
    const auto invalid = [&text] { return VantrelError(QStringLiteral("'%1' is not a valid GUID value").arg(text)); };
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    if (text.size() != 38 || text.front() != QLatin1Char('{') || text.back() != QLatin1Char('}'))
        throw invalid();
    QByteArray bytes;
    for (int i = 1; i < 37; ++i) {
        const QChar c = text.at(i);
        if (i == 9 || i == 14 || i == 19 || i == 24) {
            if (c != QLatin1Char('-'))
                throw invalid();
            continue;
        }
        const int high = hexValue(c);
        const int low = hexValue(text.at(++i));
        if (high < 0 || low < 0)
            throw invalid();
        bytes.append(char(high * 16 + low));
    }
    const auto byte = [&bytes](int i) { return std::uint8_t(bytes.at(i)); };
    TBDGUID guid {};
    guid.Data1 = std::uint32_t(byte(0)) << 24 | std::uint32_t(byte(1)) << 16 | std::uint32_t(byte(2)) << 8 | byte(3);
    guid.Data2 = std::uint16_t(byte(4) << 8 | byte(5));
    guid.Data3 = std::uint16_t(byte(6) << 8 | byte(7));
    for (int i = 0; i < 8; ++i)
        guid.Data4[i] = byte(8 + i);
    return guid;
}

QString BrivaneDialogsSettingsKey(const QString &guidText)
{
    return QString::fromUtf16(BRIVANEDIALOGS_SETTINGS_KEY_PREFIX) + guidText;
}

BrivaneDialogsBinding &BrivaneDialogsDefsBinding()
{
    static BrivaneDialogsBinding binding(BrivaneDialogsBinding::Policy::AllOrNothing);
    return binding;
}

void LoadBrivaneDialogsDefs()
{
    BrivaneDialogsDefsBinding().Load();
}

void FreeBrivaneDialogsDefs()
{
    BrivaneDialogsDefsBinding().Release();
}

TBrivaneDialog::TBrivaneDialog(QObject *AOwner)
    : QObject(AOwner)
{
    setObjectName(QStringLiteral("BrivaneDialog"));
}

TBrivaneDialog::~TBrivaneDialog()
{
    delete DefWinOpenDialog;
    delete DefWinSaveDialog;
}

void TBrivaneDialog::setFilterIndex(std::int32_t value)
{
    Results.FilterIndex = value;
    Params.FilterIndex = value;
}

bool TBrivaneDialog::LoadBrivaneDialogsLibrary()
{
    // The standard dialogs are made when first shown, not here: building them
    // costs start-up time that most runs never need.
    return BrivaneDialogsDefsBinding().IsComplete();
}

const char16_t *TBrivaneDialog::GetUseStyle()
{
    FUsedStyleString = BDStyleName(FStyle).toStdU16String();
    return FUsedStyleString.c_str();
}

void TBrivaneDialog::FreeTOpenDialogResults(TOpenDialogResults *Struct)
{
    if (const auto freeResults = BrivaneDialogsDefsBinding().FreeDialogResults())
        freeResults(Struct);
}

bool TBrivaneDialog::Settings()
{
    const auto settingsWindow = BrivaneDialogsDefsBinding().SettingsWindow();
    return settingsWindow && settingsWindow(0) != 0;
}

bool TBrivaneDialog::Execute()
{
    Params = TOpenDialogParams {};
    Results = TOpenDialogResults {};
    fFiles.clear();
    Results.FilterIndex = -1;
    m_appearance.reset();
    m_appearanceStyle.clear();
    m_hookError = nullptr;

    if (!LoadBrivaneDialogsLibrary())
        return CallDefWinDialog();

    const BrivaneDialogsBinding &binding = BrivaneDialogsDefsBinding();
    TBrivaneDialogs_OpenDialog entry = nullptr;
    switch (fDialogType) {
    case bvdtOpenDialog:
        entry = binding.OpenDialog();
        break;
    case bvdtSaveDialog:
        entry = binding.SaveDialog();
        break;
    case bvdtFolderDialog:
        entry = binding.FolderDialog();
        break;
    }
    if (!entry)
        return false;

    m_callDefaultExt = fDefaultExt;
    m_callFileName = fFileName;
    m_callFilter = fFilter;
    m_callInitialDir = fInitialDir;
    m_callTitle = fTitle;
    Params.Options = fOptions;
    Params.OptionsEx = fOptionsEx;
    Params.DefaultExt = textOf(m_callDefaultExt);
    Params.FileName = textOf(m_callFileName);
    Params.Filters = textOf(m_callFilter);
    Params.InitialDir = textOf(m_callInitialDir);
    Params.Title = textOf(m_callTitle);
    Params.DialogType = fDialogType;
    Params.DialogGUID = fGUID;
    Params.HookProc = &TBrivaneDialog::HookProc;
    Params.User = this;

    if (FStyle != bdsWindows) {
        m_appearance = std::make_unique<TOpenDialogAppearance>();
        m_appearanceStyle = GetUseStyle();
        m_appearance->VCLStyleTheme = m_appearanceStyle.data();
        Params.Appearance = m_appearance.get();
    }
    if (FUIDPIScaling != 0) {
        FUIDPIScalingString = u"UIDPIScaling=" + QString::number(FUIDPIScaling).toStdU16String();
        Params.AdditionalParameters = FUIDPIScalingString.c_str();
    }

    const bool confirmed = entry(&Params, &Results) != 0;

    Params.Appearance = nullptr;
    Params.AdditionalParameters = nullptr;
    m_appearance.reset();
    m_appearanceStyle.clear();
    FUIDPIScalingString.clear();
    if (m_hookError)
        std::rethrow_exception(std::exchange(m_hookError, nullptr));
    return confirmed;
}

std::uint32_t TBrivaneDialog::HookProc(BDWindowHandle, std::uint32_t Msg, std::uint64_t wParam, std::int64_t lParam)
{
    const auto *params = reinterpret_cast<const TOpenDialogParams *>(lParam);
    if (!params || !params->User)
        return 1;
    auto *dialog = static_cast<TBrivaneDialog *>(params->User);
    // An exception must not unwind through the library's frames: keep the
    // first one and raise it once the dialog has returned.
    try {
        dialog->HandleEvent(Msg, wParam);
    } catch (...) {
        if (!dialog->m_hookError)
            dialog->m_hookError = std::current_exception();
    }
    return 1;
}

void TBrivaneDialog::HandleEvent(std::uint32_t Msg, std::uint64_t wParam)
{
    switch (Msg) {
    case bdEventSelection:
        TakeSelection(reinterpret_cast<const TOpenDialogResults *>(wParam));
        break;
    case bdEventFocusChanged:
        if (OnSelectFileName) {
            const auto *item = reinterpret_cast<const TBDFocusedItem *>(wParam);
            if (item)
                OnSelectFileName(this, fromText(item->FileName), item->PIDL);
        }
        break;
    case bdEventFreeResults:
        // The style record stays until the dialog returns: the library may
        // free several result records while the dialog still runs.
        FreeTOpenDialogResults(reinterpret_cast<TOpenDialogResults *>(wParam));
        break;
    case bdEventWindowCreated:
        BrivaneDialogHandle = wParam;
        break;
    default:
        break;
    }
}

void TBrivaneDialog::TakeSelection(const TOpenDialogResults *selection)
{
    QStringList names;
    if (selection) {
        if (selection->FileCount == 1) {
            if (selection->FileName)
                names.append(fromText(selection->FileName));
        } else if (selection->FileCount > 1 && selection->FileNames) {
            for (const char16_t *name = selection->FileNames; *name != 0;) {
                const QString text = QString::fromUtf16(name);
                names.append(text);
                name += text.size() + 1;
            }
        }
    }
    fFiles = names;
    if (!names.isEmpty()) {
        fFileName = names.first();
        if (OnSelectFileNames)
            OnSelectFileNames(this, names, nullptr);
    }
}

void TBrivaneDialog::CreateDefWinDialogs()
{
    if (!DefWinOpenDialog) {
        DefWinOpenDialog = new QFileDialog;
        DefWinOpenDialog->setObjectName(QStringLiteral("DefWinOpenDialog"));
        DefWinOpenDialog->setAcceptMode(QFileDialog::AcceptOpen);
    }
    if (!DefWinSaveDialog) {
        DefWinSaveDialog = new QFileDialog;
        DefWinSaveDialog->setObjectName(QStringLiteral("DefWinSaveDialog"));
        DefWinSaveDialog->setAcceptMode(QFileDialog::AcceptSave);
    }
}

bool TBrivaneDialog::CallDefWinDialog()
{
    // Nothing here fails its caller: the Qt dialogs report no errors, and a
    // key store that cannot be read or written only costs the remembered
    // folder.
    bool confirmed = false;
    CreateDefWinDialogs();
    const QString guidText = DialogGUID();
    const TBrivaneDialogsLastSettings last = readLastSettings(guidText);
    switch (fDialogType) {
    case bvdtOpenDialog:
        confirmed = RunFileDialog(DefWinOpenDialog, last);
        break;
    case bvdtSaveDialog:
        confirmed = RunFileDialog(DefWinSaveDialog, last);
        break;
    case bvdtFolderDialog:
        confirmed = RunFolderBrowser(last);
        break;
    }
    if (confirmed)
        writeLastSettings(guidText, { fPath, Results.FilterIndex });
    return confirmed;
}

bool TBrivaneDialog::RunFileDialog(QFileDialog *dialog, const TBrivaneDialogsLastSettings &last)
{
    dialog->setOptions(standardOptions(fOptions));
    if (dialog->acceptMode() == QFileDialog::AcceptOpen) {
        const bool many = fOptions & ofAllowMultiSelect;
        const bool mustExist = fOptions & ofFileMustExist;
        dialog->setFileMode(many ? QFileDialog::ExistingFiles
                : mustExist      ? QFileDialog::ExistingFile
                                 : QFileDialog::AnyFile);
    } else {
        dialog->setFileMode(QFileDialog::AnyFile);
    }
    QDir::Filters entries = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::AllDirs;
    if (fOptions & ofForceShowHidden)
        entries |= QDir::Hidden;
    dialog->setFilter(entries);
    dialog->setDefaultSuffix(fDefaultExt);
    const QStringList filters = nameFilters(fFilter);
    dialog->setNameFilters(filters);
    const QString folder = !fInitialDir.isEmpty() ? fInitialDir : last.Folder;
    if (!folder.isEmpty())
        dialog->setDirectory(folder);
    dialog->selectFile(fFileName);
    // The library and the key store count filters from 0.
    const std::int32_t index = Results.FilterIndex >= 0 ? Results.FilterIndex : last.FilterIndex;
    if (index >= 0 && index < filters.size())
        dialog->selectNameFilter(filters.at(index));
    dialog->setWindowTitle(fTitle);
    dialog->setWindowModality(Qt::ApplicationModal);

    if (dialog->exec() != QDialog::Accepted)
        return false;
    const QStringList chosen = dialog->selectedFiles();
    fFileName = chosen.value(0);
    fPath = withTrailingDelimiter(QFileInfo(fFileName).absolutePath());
    fFiles = chosen;
    Results.FilterIndex = std::int32_t(filters.indexOf(dialog->selectedNameFilter()));
    Results.FileCount = std::uint32_t(chosen.size());
    return true;
}

bool TBrivaneDialog::RunFolderBrowser(const TBrivaneDialogsLastSettings &last)
{
    QFileDialog browser(QApplication::activeWindow());
    browser.setObjectName(QStringLiteral("FolderBrowser"));
    browser.setFileMode(QFileDialog::Directory);
    browser.setOption(QFileDialog::ShowDirsOnly, true);
    browser.setWindowTitle(fTitle);
    // Every other window of the program stays disabled while it is open.
    browser.setWindowModality(Qt::ApplicationModal);
    // Opening where the user last was saves them the walk back there.
    const QString folder = !fInitialDir.isEmpty() ? fInitialDir : last.Folder;
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        browser.setDirectory(folder);

    QString chosen;
    if (browser.exec() == QDialog::Accepted && !browser.selectedFiles().isEmpty())
        chosen = withTrailingDelimiter(browser.selectedFiles().first());
    fFileName = chosen;
    fPath = chosen;
    fFiles.clear();
    if (!chosen.isEmpty())
        fFiles.append(chosen);
    Results.FileCount = 1;
    return !fFileName.isEmpty();
}
