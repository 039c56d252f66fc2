// The five exported functions. Nothing may escape them: no exception crosses
// the C boundary, and a call without a GUI thread to run on returns 0.

#include "BrivaneDialogs.h"
#include "DialogRequest.h"
#include "IntegratedBrowser.h"
#include "ModalDialog.h"
#include "ResultsRecord.h"
#include "SettingsDialog.h"
#include "platform/WindowMessage.h"

#include <QApplication>
#include <QThread>

namespace {

bool onGuiThread()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr
        && QThread::currentThread() == QCoreApplication::instance()->thread();
}

std::int32_t runDialog(TOpenDialogParams *params, TOpenDialogResults *results, TBVDialogType type)
{
    if (!params || !onGuiThread())
        return 0;
    try {
        const bd::DialogRequest request = bd::DialogRequest::read(params, type);
        if (request.has(ofIntegrate) || request.has(ofNotModal))
            return bd::IntegratedBrowser::open(request) ? 1 : 0;
        return bd::ModalDialog::run(request, results);
    } catch (...) {
        return 0;
    }
}

} // namespace

extern "C" {

std::int32_t BrivaneDialogs_OpenDialog(TOpenDialogParams *Params, TOpenDialogResults *Results)
{
    return runDialog(Params, Results, bvdtOpenDialog);
}

std::int32_t BrivaneDialogs_SaveDialog(TOpenDialogParams *Params, TOpenDialogResults *Results)
{
    return runDialog(Params, Results, bvdtSaveDialog);
}

std::int32_t BrivaneDialogs_FolderDialog(TOpenDialogParams *Params, TOpenDialogResults *Results)
{
    return runDialog(Params, Results, bvdtFolderDialog);
}

std::int32_t BrivaneDialogs_SettingsWindow(BDWindowHandle ParentWindow)
{
    if (!onGuiThread())
        return 0;
    try {
        return bd::SettingsDialog::run(platform::widgetOf(ParentWindow)) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

std::int32_t BrivaneDialogs_FreeDialogResults(TOpenDialogResults *Results)
{
    return bd::freeResults(Results) ? 1 : 0;
}

} // extern "C"
