#pragma once

#include "BrivaneDialogs.h"

#include <QString>

// One binding of the dialog library's five entry points. The library is
// optional: a missing file or entry point is a normal state and is never
// reported. Two policies exist because the integrated browser makes do with
// whatever resolved, while the dialog component wants all or nothing.
class BrivaneDialogsBinding
{
public:
    enum class Policy {
        // Keeps the library and every entry point that resolved.
        KeepResolved,
        // Releases the library at once unless all five resolved.
        AllOrNothing,
    };

    explicit BrivaneDialogsBinding(Policy policy);
    ~BrivaneDialogsBinding();
    BrivaneDialogsBinding(const BrivaneDialogsBinding &) = delete;
    BrivaneDialogsBinding &operator=(const BrivaneDialogsBinding &) = delete;

    // Loads libBrivaneDialogs.so from the executable's folder, else through the
    // system's search. True when the library is loaded afterwards.
    bool Load();
    // Loads one given file instead (an absolute path, or a bare name for the
    // system's search). Any library loaded before is released first.
    bool LoadFrom(const QString &fileName);
    void Release();

    bool IsLoaded() const { return m_library != nullptr; }
    // Loaded and all five entry points resolved.
    bool IsComplete() const;

    TBrivaneDialogs_OpenDialog OpenDialog() const { return m_openDialog; }
    TBrivaneDialogs_SaveDialog SaveDialog() const { return m_saveDialog; }
    TBrivaneDialogs_FolderDialog FolderDialog() const { return m_folderDialog; }
    TBrivaneDialogs_SettingsWindow SettingsWindow() const { return m_settingsWindow; }
    TBrivaneDialogs_FreeDialogResults FreeDialogResults() const { return m_freeDialogResults; }

private:
    bool bind(void *library);
    void clearEntryPoints();

    Policy m_policy;
    void *m_library = nullptr;
    TBrivaneDialogs_OpenDialog m_openDialog = nullptr;
    TBrivaneDialogs_SaveDialog m_saveDialog = nullptr;
    TBrivaneDialogs_FolderDialog m_folderDialog = nullptr;
    TBrivaneDialogs_SettingsWindow m_settingsWindow = nullptr;
    TBrivaneDialogs_FreeDialogResults m_freeDialogResults = nullptr;
};

// Where a library would be loaded from, in order: the executable's own folder,
// then the bare name for the system's search.
QStringList BrivaneDialogsLibraryCandidates();
