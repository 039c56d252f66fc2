#pragma once

#include "BrivaneDialogs.h"
#include "HostMenu.h"

#include <QStringList>

class QWidget;

namespace bd {

// Delivers events to the host's hook with the address of the record that
// opened the dialog. A missing hook makes every event a no-op. The hook may
// do anything, including closing the window that sent the event, so callers
// must not touch their widgets after an event without checking they survived.
class HookSink
{
public:
    explicit HookSink(TOpenDialogParams *params);

    void windowCreated(const QWidget *window) const;
    void focusChanged(const QWidget *window, const QString &fullName) const;
    // Event 2112: a file was opened in the list.
    void fileActivated(const QWidget *window, const QString &fullName) const;
    // Event 2050 with the names, then 2052 with the same record.
    void selection(const QWidget *window, const QStringList &names, int filterIndex) const;
    void textFocus(const QWidget *window, bool inTextField) const;
    void closeRequest(const QWidget *window) const;
    // Event 2110: the host's entries for the file list's context menu.
    std::vector<HostMenuEntry> fileMenu(const QWidget *window, int selectionCount) const;
    // Event 2111: the host's entry command was picked.
    void menuCommand(const QWidget *window, std::uint32_t command) const;

private:
    std::uint32_t send(const QWidget *window, std::uint32_t code, std::uint64_t wParam) const;

    TOpenDialogParams *m_params;
    OFNHookProc m_hook;
};

} // namespace bd
