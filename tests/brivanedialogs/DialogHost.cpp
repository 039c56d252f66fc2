#include "DialogHost.h"

#include "platform/IniDocument.h"
#include "platform/KeyStore.h"
#include "platform/WindowMessage.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QFile>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

QStringList readNames(const char16_t *list)
{
    QStringList names;
    if (!list)
        return names;
    while (*list) {
        const char16_t *end = list;
        while (*end)
            ++end;
        names.append(QString::fromUtf16(list, end - list));
        list = end + 1;
    }
    return names;
}

DialogHost *g_host = nullptr;

} // namespace

DialogHost::DialogHost()
{
    // The program's rule: its own folder first, then the system's search.
    const QByteArray beside = QFile::encodeName(QCoreApplication::applicationDirPath()) + '/' + bdLibraryFileName;
    m_handle = dlopen(beside.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle)
        m_handle = dlopen(bdLibraryFileName, RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        qWarning("%s", dlerror());
        return;
    }
    openDialog = reinterpret_cast<TBrivaneDialogs_OpenDialog>(dlsym(m_handle, "BrivaneDialogs_OpenDialog"));
    saveDialog = reinterpret_cast<TBrivaneDialogs_SaveDialog>(dlsym(m_handle, "BrivaneDialogs_SaveDialog"));
    folderDialog = reinterpret_cast<TBrivaneDialogs_FolderDialog>(dlsym(m_handle, "BrivaneDialogs_FolderDialog"));
    settingsWindow = reinterpret_cast<TBrivaneDialogs_SettingsWindow>(dlsym(m_handle, "BrivaneDialogs_SettingsWindow"));
    freeDialogResults
        = reinterpret_cast<TBrivaneDialogs_FreeDialogResults>(dlsym(m_handle, "BrivaneDialogs_FreeDialogResults"));
    g_host = this;
    events().clear();
}

DialogHost::~DialogHost()
{
    g_host = nullptr;
    menuEntries() = nullptr;
    // The library stays loaded, as it does in the program until exit: widgets
    // it created may still be queued for deletion.
}

std::vector<RecordedEvent> &DialogHost::events()
{
    static std::vector<RecordedEvent> recorded;
    return recorded;
}

std::vector<RecordedEvent> DialogHost::eventsWithCode(std::uint32_t code)
{
    std::vector<RecordedEvent> matching;
    for (const RecordedEvent &event : events()) {
        if (event.code == code)
            matching.push_back(event);
    }
    return matching;
}

std::uint32_t DialogHost::hook(std::uintptr_t wnd, std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam)
{
    RecordedEvent event;
    event.code = msg;
    event.wnd = wnd;
    event.wParam = wParam;
    event.lParam = lParam;
    if (msg == bdEventSelection) {
        const auto *results = reinterpret_cast<const TOpenDialogResults *>(wParam);
        event.fileCount = results->FileCount;
        event.fileNamesNull = results->FileNames == nullptr;
        event.names = readNames(results->FileNames);
        event.fileNameNull = results->FileName == nullptr;
        if (results->FileName)
            event.fileName = QString::fromUtf16(results->FileName);
        event.filterIndex = results->FilterIndex;
    } else if (msg == bdEventFocusChanged || msg == bdEventFileActivated) {
        const auto *item = reinterpret_cast<const TBDFocusedItem *>(wParam);
        event.fileNameNull = item->FileName == nullptr;
        if (item->FileName)
            event.fileName = QString::fromUtf16(item->FileName);
    } else if (msg == bdEventFileMenu) {
        auto *request = reinterpret_cast<TBDMenuRequest *>(wParam);
        event.fileCount = request->SelectionCount;
        if (menuEntries())
            menuEntries()(*request);
    } else if (msg == bdEventFreeResults && g_host && g_host->freeDialogResults) {
        event.freed = g_host->freeDialogResults(reinterpret_cast<TOpenDialogResults *>(wParam));
    }
    events().push_back(event);
    return 1;
}

std::function<void(TBDMenuRequest &)> &DialogHost::menuEntries()
{
    static std::function<void(TBDMenuRequest &)> entries;
    return entries;
}

std::u16string toU16(const QString &text)
{
    return std::u16string(reinterpret_cast<const char16_t *>(text.utf16()), std::size_t(text.size()));
}

TBDGUID testGuid()
{
    return TBDGUID { 0x14041EA1, 0x43B5, 0x474A, { 0xB7, 0xBA, 0xCA, 0xE3, 0xB9, 0x46, 0x00, 0x48 } };
}

QString testGuidKey()
{
    return QStringLiteral("Software\\Tarvex\\Brivane Dialogs\\App settings\\{14041EA1-43B5-474A-B7BA-CAE3B9460048}");
}

void forgetDialogState()
{
    EXPECT_TRUE(platform::KeyStore().edit([](platform::IniDocument &doc) { doc.removeSection(testGuidKey()); }));
}

void HostRecords::setIntegrated(QWidget *parent, const QString &initialFolder, int dpi)
{
    params = TOpenDialogParams {};
    results = TOpenDialogResults {};
    filters = u"All audio files|*.mp3;*.mp2;*.mp1;*.flac;*.fla;*.flc;*.oga;*.wav;*.aif;*.aiff;*.aifc;*.afc;"
              u"*.mp4;*.m4a;*.m4b;*.aac;*.ac3;*.mpc;*.mpa;*.wma;*.dff;*.dsf";
    title = u"Audio files from";
    initialDir = toU16(initialFolder);
    additional = toU16(QStringLiteral("UIDPIScaling=%1\r\nThumbnailsWidth=400\r\nThumbnailsHeight=100").arg(dpi));
    params.Options = 0x01B80040;
    params.OptionsEx = 0x0400;
    params.ParentWindow = platform::handleOf(parent);
    params.HookProc = &DialogHost::hook;
    params.DialogGUID = testGuid();
    params.AdditionalParameters = additional.c_str();
    params.Filters = filters.c_str();
    params.Title = title.c_str();
    params.InitialDir = initialFolder.isNull() ? nullptr : initialDir.c_str();
}

void HostRecords::setModal(QWidget *owner, const QString &initialFolder)
{
    setIntegrated(owner, initialFolder);
    params.Options = 0;
    params.OptionsEx = 0;
    params.AdditionalParameters = nullptr;
}

QWidget *browserWindow(std::uintptr_t handle)
{
    return platform::widgetOf(handle);
}

QAbstractItemView *detailsView(QWidget *window)
{
    return window ? window->findChild<QAbstractItemView *>(QStringLiteral("FileListDetails")) : nullptr;
}

bool waitForRows(QWidget *window, int rows)
{
    QAbstractItemView *view = detailsView(window);
    if (!view)
        return false;
    return QTest::qWaitFor([&] { return view->model()->rowCount() == rows; }, 5000);
}

QStringList rowNames(QWidget *window)
{
    QStringList names;
    QAbstractItemView *view = detailsView(window);
    for (int row = 0; view && row < view->model()->rowCount(); ++row)
        names.append(view->model()->index(row, 0).data().toString());
    return names;
}
