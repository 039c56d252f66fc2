#pragma once

#include "BrivaneDialogs.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <ostream>
#include <vector>

// Readable failure messages for texts.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

class QAbstractItemView;
class QWidget;

// One event as the host saw it, with the texts copied while they were valid.
struct RecordedEvent
{
    std::uint32_t code = 0;
    std::uintptr_t wnd = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
    QStringList names; // 2050: FileNames up to the empty name
    std::uint32_t fileCount = 0;
    QString fileName; // 2050: FileName when set; 2056: the focused name; 2112: the opened one
    bool fileNameNull = true;
    bool fileNamesNull = true;
    std::int32_t filterIndex = 0;
    std::int32_t freed = -1; // 2052: what FreeDialogResults answered
};

// The library loaded by name, as the program loads it, and a hook that
// records every event.
class DialogHost
{
public:
    DialogHost();
    ~DialogHost();

    bool loaded() const { return m_handle != nullptr; }
    void *handle() const { return m_handle; }

    TBrivaneDialogs_OpenDialog openDialog = nullptr;
    TBrivaneDialogs_SaveDialog saveDialog = nullptr;
    TBrivaneDialogs_FolderDialog folderDialog = nullptr;
    TBrivaneDialogs_SettingsWindow settingsWindow = nullptr;
    TBrivaneDialogs_FreeDialogResults freeDialogResults = nullptr;

    static std::vector<RecordedEvent> &events();
    static std::vector<RecordedEvent> eventsWithCode(std::uint32_t code);
    static std::uint32_t hook(std::uintptr_t wnd, std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam);
    // Answers event 2110 (the host's context-menu entries) when set.
    static std::function<void(TBDMenuRequest &)> &menuEntries();

private:
    void *m_handle = nullptr;
};

// A zero-filled record the way the program fills it for its browser.
struct HostRecords
{
    TOpenDialogParams params {};
    TOpenDialogResults results {};
    std::u16string filters;
    std::u16string title;
    std::u16string initialDir;
    std::u16string fileName;
    std::u16string additional;

    void setIntegrated(QWidget *parent, const QString &initialFolder, int dpi = 96);
    void setModal(QWidget *owner, const QString &initialFolder);
};

std::u16string toU16(const QString &text);
TBDGUID testGuid();
QString testGuidKey();
// Removes what the test dialog remembers (folder, filter, view, panel), so
// every test starts as on a first run.
void forgetDialogState();

QWidget *browserWindow(std::uintptr_t handle);
QAbstractItemView *detailsView(QWidget *window);
// Waits until the list holds rows rows; false on timeout.
bool waitForRows(QWidget *window, int rows);
// Rows' names in view order.
QStringList rowNames(QWidget *window);
