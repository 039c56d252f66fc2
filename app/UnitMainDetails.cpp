// The focused file's details: the grouped list, its copies to the clipboard
// and its export to a text file.
#include "app/DetailsRowDelegate.h"
#include "app/ErrorBoundary.h"
#include "app/FormHelpers.h"
#include "app/UnitMain.h"
#include "details/DetailsReader.h"
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

// A row's whole name and value, for values wider than their column (long
// paths and titles). Rich text, so the tip wraps instead of running off the
// screen; a path may break after each slash.
QString RowToolTip(const QString &name, const QString &value)
{
    QString breakable = value.toHtmlEscaped();
    breakable.replace(QLatin1Char('/'), QStringLiteral("/&#8203;"));
    return QStringLiteral("<p style=\"white-space:pre-wrap\"><b>%1</b><br>%2</p>").arg(name.toHtmlEscaped(), breakable);
}

bool isGroup(const QTreeWidgetItem *item)
{
    return item->data(0, DetailsGroupRole).toBool();
}

constexpr Qt::ItemFlags kRowFlags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
// A group header is a caption, not a row: it takes no selection, so the copy
// items only ever see name/value rows.
constexpr Qt::ItemFlags kCaptionFlags = Qt::ItemIsEnabled;

// The items of the contents the list showed before, taken out of it and
// dressed with the new contents: making and freeing every item anew was a
// third of a fill. An item out of the view changes without telling anyone.
// What the new contents leave over is freed with the stock.
class ItemStock
{
public:
    explicit ItemStock(const QList<QTreeWidgetItem *> &topLevel)
    {
        for (QTreeWidgetItem *item : topLevel)
            keep(item);
    }
    ~ItemStock()
    {
        qDeleteAll(m_captions);
        qDeleteAll(m_rows);
    }
    ItemStock(const ItemStock &) = delete;
    ItemStock &operator=(const ItemStock &) = delete;

    QTreeWidgetItem *row(const DetailsRow &row)
    {
        QTreeWidgetItem *item = m_rows.isEmpty() ? new QTreeWidgetItem : m_rows.takeLast();
        // The far column first, so a new item grows its columns once.
        item->setText(1, row.value);
        item->setText(0, row.name);
        const QString tip = RowToolTip(row.name, row.value);
        item->setToolTip(0, tip);
        item->setToolTip(1, tip);
        item->setFlags(kRowFlags);
        return item;
    }

    QTreeWidgetItem *caption(const QString &header, const QBrush &brush)
    {
        QTreeWidgetItem *item = m_captions.isEmpty() ? new QTreeWidgetItem : m_captions.takeLast();
        item->setText(0, header);
        item->setData(0, DetailsGroupRole, true);
        item->setFlags(kCaptionFlags);
        item->setForeground(0, brush);
        return item;
    }

private:
    void keep(QTreeWidgetItem *item)
    {
        const QList<QTreeWidgetItem *> children = item->takeChildren();
        for (QTreeWidgetItem *child : children)
            keep(child);
        if (isGroup(item))
            m_captions.append(item);
        else
            m_rows.append(item);
    }

    QList<QTreeWidgetItem *> m_captions;
    QList<QTreeWidgetItem *> m_rows;
};

// Holds a widget's repaints until the end of a scope, then asks for one:
// every span set or cleared asks for a repaint of the whole list.
class RepaintsHeld
{
public:
    explicit RepaintsHeld(QWidget *widget)
        : m_widget(widget)
        , m_held(widget->updatesEnabled())
    {
        if (m_held)
            m_widget->setUpdatesEnabled(false);
    }
    ~RepaintsHeld()
    {
        if (m_held)
            m_widget->setUpdatesEnabled(true);
    }
    RepaintsHeld(const RepaintsHeld &) = delete;
    RepaintsHeld &operator=(const RepaintsHeld &) = delete;

private:
    QWidget *m_widget;
    bool m_held;
};

// The caption colour, worked out again only when the list's palette changes.
QBrush captionBrush(const QPalette &palette)
{
    static qint64 key = -1;
    static QBrush brush;
    if (palette.cacheKey() != key) {
        brush = QBrush(ReadableLink(palette, QPalette::Base));
        key = palette.cacheKey();
    }
    return brush;
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
    // The reader answers an ordinary file in a few milliseconds: waiting that
    // long fills the list before the next frame, as if read here. A file it
    // takes longer on fills the list when its answer comes.
    static constexpr std::chrono::milliseconds kSameFrameBudget { 10 };
    if (!m_detailsReader) {
        m_detailsReader = std::make_unique<DetailsReader>();
        connect(
            m_detailsReader.get(), &DetailsReader::linesRead, this, &TFormMain::ShowReadDetails, Qt::QueuedConnection);
    }
    m_detailsAsked = m_detailsReader->request(FileName);
    if (const std::optional<TDetailsLines> lines = m_detailsReader->waitFor(m_detailsAsked, kSameFrameBudget))
        ShowReadDetails(m_detailsAsked, *lines);
}

void TFormMain::ShowReadDetails(quint64 generation, const QStringList &lines)
{
    if (generation != m_detailsAsked || generation == m_detailsShown)
        return;
    m_detailsShown = generation;
    FillDetailsView(lines);
}

void TFormMain::FillDetailsView(const TDetailsLines &lines)
{
    const DetailsContents contents = BuildDetailsContents(lines);

    // The old contents leave the list in one removal, and the new ones are
    // dressed out of the list from their items and go in with one insertion,
    // so the list lays out once, when the first caption is spanned.
    const RepaintsHeld repaints(ListViewDetails->viewport());
    ListViewDetails->selectionModel()->clear();
    QTreeWidgetItem *root = ListViewDetails->invisibleRootItem();
    // A span is kept by row, not by item: one left on a removed row would
    // stay in the view's span set for the rest of the run.
    for (int i = 0; i < root->childCount(); ++i) {
        QTreeWidgetItem *item = root->child(i);
        if (isGroup(item))
            item->setFirstColumnSpanned(false);
    }
    ItemStock stock(root->takeChildren());

    const QBrush brush = captionBrush(ListViewDetails->palette());
    QList<QTreeWidgetItem *> topLevel;
    QList<QTreeWidgetItem *> groups;
    topLevel.reserve(contents.groups.size() + 8);
    groups.reserve(contents.groups.size());
    for (const QString &header : contents.groups)
        groups.append(stock.caption(header, brush));
    for (const DetailsRow &row : contents.rows) {
        if (row.group < 0)
            topLevel.append(stock.row(row));
        else
            groups.at(row.group)->addChild(stock.row(row));
    }
    topLevel.append(groups);

    ListViewDetails->addTopLevelItems(topLevel);
    // Expanding while the list waits to lay out only records the wish. A
    // group without rows has nothing to open and stays as it is.
    for (QTreeWidgetItem *group : std::as_const(groups)) {
        if (group->childCount() > 0)
            group->setExpanded(true);
    }
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
