#include "browser/BrivaneDialogsBinding.h"

#include "platform/LibraryLoading.h"
#include "util/ProgramFolders.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>

#include <dlfcn.h>

namespace {

void *openLibrary(const QString &fileName)
{
    // The library draws with Qt and registers types with it; unmapping its
    // code while Qt may still hold pointers into it is never safe, so a
    // release drops our reference but leaves the code mapped.
    return ::dlopen(QFile::encodeName(fileName).constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
}

template<typename F> F resolve(void *library, const char *name)
{
    return reinterpret_cast<F>(::dlsym(library, name));
}

} // namespace

QStringList BrivaneDialogsLibraryCandidates()
{
    const QString name = QString::fromLatin1(bdLibraryFileName);
    QStringList candidates;
    // Bindings are made before any application object exists to ask.
    const QString folder = QFile::decodeName(QByteArray::fromStdString(platform::ExecutableFolder()));
    if (!folder.isEmpty()) {
        candidates.append(folder + QLatin1Char('/') + name);
        // Installed, the library lives in the program's private folder. The
        // executable's search path names it too, but a dlopen through an
        // interposed dlopen (sanitizers, profilers) does not see that path.
        candidates.append(PrivateLibraryFolder(folder) + QLatin1Char('/') + name);
    }
    candidates.append(name);
    return candidates;
}

BrivaneDialogsBinding::BrivaneDialogsBinding(Policy policy)
    : m_policy(policy)
{ }

BrivaneDialogsBinding::~BrivaneDialogsBinding()
{
    Release();
}

bool BrivaneDialogsBinding::Load()
{
    Release();
    const QStringList candidates = BrivaneDialogsLibraryCandidates();
    for (const QString &candidate : candidates) {
        // A file in the executable's folder that is not there is skipped
        // silently; the system's search comes next.
        if (candidate.contains(QLatin1Char('/')) && !QFile::exists(candidate))
            continue;
        if (void *library = openLibrary(candidate))
            return bind(library);
    }
    return false;
}

bool BrivaneDialogsBinding::LoadFrom(const QString &fileName)
{
    Release();
    void *library = openLibrary(fileName);
    return library ? bind(library) : false;
}

bool BrivaneDialogsBinding::bind(void *library)
{
    m_library = library;
    m_openDialog = resolve<TBrivaneDialogs_OpenDialog>(library, "BrivaneDialogs_OpenDialog");
    m_saveDialog = resolve<TBrivaneDialogs_SaveDialog>(library, "BrivaneDialogs_SaveDialog");
    m_folderDialog = resolve<TBrivaneDialogs_FolderDialog>(library, "BrivaneDialogs_FolderDialog");
    m_settingsWindow = resolve<TBrivaneDialogs_SettingsWindow>(library, "BrivaneDialogs_SettingsWindow");
    m_freeDialogResults = resolve<TBrivaneDialogs_FreeDialogResults>(library, "BrivaneDialogs_FreeDialogResults");
    if (m_policy == Policy::AllOrNothing && !IsComplete())
        Release();
    return IsLoaded();
}

bool BrivaneDialogsBinding::IsComplete() const
{
    return m_library && m_openDialog && m_saveDialog && m_folderDialog && m_settingsWindow && m_freeDialogResults;
}

void BrivaneDialogsBinding::Release()
{
    clearEntryPoints();
    if (m_library) {
        ::dlclose(m_library);
        m_library = nullptr;
    }
}

void BrivaneDialogsBinding::clearEntryPoints()
{
    m_openDialog = nullptr;
    m_saveDialog = nullptr;
    m_folderDialog = nullptr;
    m_settingsWindow = nullptr;
    m_freeDialogResults = nullptr;
}
