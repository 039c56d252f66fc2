// The focused file's details: the grouped list, its copies to the clipboard
// and its export to a text file.
#include "app/ErrorBoundary.h"
#include "app/FormHelpers.h"
#include "app/UnitMain.h"
#include "details/DetailsTextForm.h"
#include "details/MediaInfoLibraryFunctions.h"
#include "util/VantrelError.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTreeWidget>

namespace {

// Marks a top-level item that stands for a group rather than a row.
constexpr int kGroupRole = Qt::UserRole + 1;

bool isGroup(const QTreeWidgetItem *item)
{
    return item->data(0, kGroupRole).toBool();
}

QTreeWidgetItem *newRow(const DetailsRow &row)
{
    auto *item = new QTreeWidgetItem(QStringList { row.name, row.value });
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren);
    return item;
}

QTreeWidgetItem *newGroup(const QString &header, const QBrush &headerBrush)
{
    auto *item = new QTreeWidgetItem(QStringList { header });
    item->setData(0, kGroupRole, true);
    // A group header is a caption, not a row: it takes no selection, so the
    // copy items only ever see name/value rows.
    item->setFlags(Qt::ItemIsEnabled);
    item->setForeground(0, headerBrush);
    return item;
}

// The view's contents back in widget-free form, groups by index.
DetailsContents contentsOf(const QTreeWidget *view)
{
    DetailsContents contents;
    for (int i = 0; i < view->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = view->topLevelItem(i);
        if (!isGroup(item)) {
            contents.rows.append(DetailsRow { item->text(0), item->text(1), -1 });
            continue;
        }
        const int group = static_cast<int>(contents.groups.size());
        contents.groups.append(item->text(0));
        for (int r = 0; r < item->childCount(); ++r) {
            const QTreeWidgetItem *row = item->child(r);
            contents.rows.append(DetailsRow { row->text(0), row->text(1), group });
        }
    }
    return contents;
}

const QTreeWidgetItem *selectedRow(const QTreeWidget *view)
{
    const QList<QTreeWidgetItem *> selected = view->selectedItems();
    for (const QTreeWidgetItem *item : selected) {
        if (!isGroup(item))
            return item;
    }
    return nullptr;
}

// Puts text on the clipboard and makes sure it arrived; a clipboard that
// cannot take it is reported instead of failing silently.
void putOnClipboard(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw VantrelError(QStringLiteral("Cannot open clipboard: no clipboard is available."));
    clipboard->setText(text);
    if (clipboard->text() != text)
        throw VantrelError(QStringLiteral("Cannot open clipboard: the system did not accept the text."));
}

} // namespace

void TFormMain::ConnectDetailsHandlers()
{
    connect(CopyValueToClipboard1, &QAction::triggered, this, Guarded(this, &TFormMain::CopyValueToClipboard1Click));
    connect(CopyNameAndValueToClipboard1, &QAction::triggered, this,
        Guarded(this, &TFormMain::CopyNameAndValueToClipboard1Click));
    connect(CopyAllToClipboard1, &QAction::triggered, this, Guarded(this, &TFormMain::CopyAllToClipboard1Click));
    connect(
        SaveCompleteListToFile1, &QAction::triggered, this, Guarded(this, &TFormMain::SaveCompleteListToFile1Click));
}

void TFormMain::DisplayFileDetails(const QString &FileName)
{
    // Normally bound by the start-up worker already; a file focused or
    // dropped sooner binds it here (or waits for the worker to finish it).
    InitializeMediaInfoLibraryFunctions();
    TDetailsLines lines;
    ReadFileDetails(FileName, lines);
    FillDetailsView(lines);
}

void TFormMain::FillDetailsView(const TDetailsLines &lines)
{
    const DetailsContents contents = BuildDetailsContents(lines);

    // Everything is built off the view and handed over in one insertion, so
    // the old contents stay until the new ones are complete and the view
    // lays out and paints once.
    const QBrush headerBrush(ReadableLink(ListViewDetails->palette(), QPalette::Base));
    QList<QTreeWidgetItem *> topLevel;
    QList<QTreeWidgetItem *> groups;
    topLevel.reserve(contents.groups.size() + 8);
    groups.reserve(contents.groups.size());
    for (const QString &header : contents.groups)
        groups.append(newGroup(header, headerBrush));
    for (const DetailsRow &row : contents.rows) {
        if (row.group < 0)
            topLevel.append(newRow(row));
        else
            groups.at(row.group)->addChild(newRow(row));
    }
    topLevel.append(groups);

    ListViewDetails->clear();
    ListViewDetails->addTopLevelItems(topLevel);
    // Expanding lays the list out once; spans set afterwards only mark rows
    // already laid out, where each span set before would lay it out again.
    ListViewDetails->expandAll();
    for (QTreeWidgetItem *group : std::as_const(groups))
        group->setFirstColumnSpanned(true);
}

void TFormMain::GetDetialsList(QStringList &List, const QTreeWidget *ListView)
{
    AppendDetailsTextForm(List, contentsOf(ListView));
}

void TFormMain::CopyValueToClipboard1Click()
{
    if (const QTreeWidgetItem *row = selectedRow(ListViewDetails))
        putOnClipboard(row->text(1));
}

void TFormMain::CopyNameAndValueToClipboard1Click()
{
    if (const QTreeWidgetItem *row = selectedRow(ListViewDetails))
        putOnClipboard(row->text(0) % u": " % row->text(1));
}

void TFormMain::CopyAllToClipboard1Click()
{
    QStringList list;
    GetDetialsList(list, ListViewDetails);
    putOnClipboard(JoinDetailsLines(list));
}

QFileDialog *TFormMain::DetailsSaveDialog()
{
    if (!SaveDialogDetialsList) {
        SaveDialogDetialsList = new QFileDialog(this);
        SaveDialogDetialsList->setObjectName(QStringLiteral("SaveDialogDetialsList"));
        SaveDialogDetialsList->setAccessibleName(QStringLiteral("Save details"));
        SaveDialogDetialsList->setAcceptMode(QFileDialog::AcceptSave);
        SaveDialogDetialsList->setFileMode(QFileDialog::AnyFile);
        SaveDialogDetialsList->setDefaultSuffix(QStringLiteral("txt"));
        SaveDialogDetialsList->setNameFilters(
            { QStringLiteral("Text files (*.txt)"), QStringLiteral("All files (*)") });
    }
    return SaveDialogDetialsList;
}

void TFormMain::SaveCompleteListToFile1Click()
{
    QFileDialog *dialog = DetailsSaveDialog();
    // The details belong beside the audio file they describe, not in the
    // folder some other dialog of the program used last.
    const QFileInfo focused(FocusedFileName);
    if (!FocusedFileName.isEmpty() && focused.absoluteDir().exists())
        dialog->setDirectory(focused.absolutePath());
    dialog->selectNameFilter(dialog->nameFilters().constFirst());
    dialog->selectFile(focused.fileName() + QStringLiteral(" details.txt"));
    if (dialog->exec() != QDialog::Accepted)
        return;
    const QStringList chosen = dialog->selectedFiles();
    if (chosen.isEmpty())
        return;
    QStringList list;
    GetDetialsList(list, ListViewDetails);
    if (const auto saved = SaveDetailsTextFile(chosen.first(), list); !saved)
        VantrelApplication::ReportError(saved.error());
}
