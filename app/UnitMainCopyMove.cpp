// The folder pickers and the copy and move buttons of the folders panel.
#include "app/FileOperationRunner.h"
#include "app/UnitMain.h"
#include "browser/BrivaneDialogsDefs.h"
#include "util/FileOperation.h"
#include "util/VantrelError.h"

#include <QLineEdit>
#include <QMessageBox>

namespace {

// A folder path with exactly one "/" at its end; the root stays "/".
QString withOneTrailingDelimiter(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

void pickFolderInto(TBrivaneDialog *picker, QLineEdit *edit)
{
    if (picker->Execute())
        edit->setText(withOneTrailingDelimiter(picker->FileName()));
}

} // namespace

void TFormMain::ButtonSelectFolder1Click()
{
    pickFolderInto(BrivaneDialogFolder, EditFolder1);
}

void TFormMain::ButtonSelectFolder2Click()
{
    pickFolderInto(BrivaneDialogFolder, EditFolder2);
}

void TFormMain::ButtonSelectFolder3Click()
{
    pickFolderInto(BrivaneDialogFolder, EditFolder3);
}

void TFormMain::Button2Click()
{
    CopyMoveSelectedFiles(EditFolder1->text(), FO_COPY);
}

void TFormMain::Button3Click()
{
    CopyMoveSelectedFiles(EditFolder1->text(), FO_MOVE);
}

void TFormMain::Button5Click()
{
    CopyMoveSelectedFiles(EditFolder2->text(), FO_COPY);
}

void TFormMain::Button6Click()
{
    CopyMoveSelectedFiles(EditFolder2->text(), FO_MOVE);
}

void TFormMain::Button8Click()
{
    CopyMoveSelectedFiles(EditFolder3->text(), FO_COPY);
}

void TFormMain::Button9Click()
{
    CopyMoveSelectedFiles(EditFolder3->text(), FO_MOVE);
}

void TFormMain::CopyMoveSelectedFiles(const QString &ToFolder, unsigned Func)
{
    // The folder text is used as typed. Text that names no folder goes on to
    // the general error handler as "Unable to create directory".
    const auto folder = EnsureFolderExists(ToFolder);
    if (!folder && folder.error() == FolderFailure::NotAFolder)
        throw VantrelError(QStringLiteral("Unable to create directory"));
    if (!folder) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"),
            QStringLiteral("Error while creating folder: \n") + ToFolder, QMessageBox::Cancel, this);
        box.setObjectName(QStringLiteral("FolderErrorMessageBox"));
        box.exec();
        return;
    }
    GetSelectedFilesList();
    const QStringList sources = SelectedFilesList;
    if (sources.isEmpty())
        return;
    RunFileOperation(this, Func == FO_MOVE ? FileOperationKind::Move : FileOperationKind::Copy, sources, ToFolder);
}
