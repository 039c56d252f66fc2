#include "FileViews.h"

#include "FileItemDelegate.h"
#include "FileListModel.h"
#include "WaveformDelegate.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QSignalBlocker>
#include <QTreeView>

#include <algorithm>

namespace bd {

namespace {

void setUpCommon(QAbstractItemView *view, bool multiSelect)
{
    view->setSelectionMode(multiSelect ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setDragEnabled(true);
    view->setDragDropMode(QAbstractItemView::DragOnly);
    view->setDefaultDropAction(Qt::CopyAction);
}

// Qt's views make the first row current when they get the keyboard focus
// with none current. The host treats the focused file as the one the user
// looks at (details, preview), so a row becomes current only by the user's
// hand: the first arrow key still lands on the first row.
template<typename View> class UserFocusView : public View
{
public:
    using View::View;

protected:
    void focusInEvent(QFocusEvent *event) override
    {
        QItemSelectionModel *selection = this->selectionModel();
        const bool hadCurrent = this->currentIndex().isValid();
        {
            const QSignalBlocker quiet(selection);
            View::focusInEvent(event);
            if (!hadCurrent && this->currentIndex().isValid())
                selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        }
        this->viewport()->update();
    }
};

// List and thumbnail views place items one by one; in batches the GUI stays
// responsive while a very large folder is laid out.
constexpr int kLayoutBatch = 2000;

} // namespace

FileViews::FileViews(FileListModel *model, const UiScale &scale, QSize thumbnailSize, bool multiSelect, QWidget *parent)
    : QStackedWidget(parent)
    , m_model(model)
    , m_details(new UserFocusView<QTreeView>(this))
    , m_list(new UserFocusView<QListView>(this))
    , m_thumbnails(new UserFocusView<QListView>(this))
    , m_message(new QLabel(this))
    , m_thumbnailSize(thumbnailSize)
    , m_scale(scale)
{
    setObjectName(QStringLiteral("FileViews"));
    setAccessibleName(tr("File views"));
    m_details->setObjectName(QStringLiteral("FileListDetails"));
    m_details->setAccessibleName(tr("Files (details)"));
    m_details->setModel(model);
    auto *rows = new FileItemDelegate(this);
    m_details->setItemDelegate(rows);
    setUpCommon(m_details, multiSelect);
    m_details->setRootIsDecorated(false);
    m_details->setItemsExpandable(false);
    m_details->setUniformRowHeights(true);
    m_details->setAllColumnsShowFocus(true);
    m_details->header()->setSortIndicator(FileListModel::NameColumn, Qt::AscendingOrder);
    m_details->setSortingEnabled(true);
    m_details->header()->setSectionsMovable(false);
    m_details->header()->setStretchLastSection(false);
    m_details->header()->setSectionResizeMode(QHeaderView::Interactive);
    m_details->header()->setMinimumSectionSize(scale.px(40));
    // Designed widths, but never narrower than the caption: at a large scale
    // with a font bigger than the scale assumes, a caption would be cut.
    const auto designWidth = [this, &scale](int column, int at96) {
        QHeaderView *header = m_details->header();
        header->resizeSection(column, std::max(scale.px(at96), header->sectionSizeHint(column)));
    };
    designWidth(FileListModel::SizeColumn, 80);
    designWidth(FileListModel::TypeColumn, 90);
    designWidth(FileListModel::ModifiedColumn, 150);
    designWidth(FileListModel::DurationColumn, 70);
    designWidth(FileListModel::SampleRateColumn, 80);
    designWidth(FileListModel::BitDepthColumn, 60);
    designWidth(FileListModel::ChannelsColumn, 70);
    designWidth(FileListModel::BitRateColumn, 80);
    designWidth(FileListModel::FolderColumn, 180);
    // Where the eye goes from a found name: to where it lies.
    m_details->header()->moveSection(m_details->header()->visualIndex(FileListModel::FolderColumn), 1);
    showFolderColumn(false);
    stretchNameColumn();
    m_details->setIconSize(scale.px(QSize(16, 16)));
    addWidget(m_details);

    m_list->setObjectName(QStringLiteral("FileListList"));
    m_list->setAccessibleName(tr("Files (list)"));
    m_list->setModel(model);
    m_list->setItemDelegate(rows);
    m_list->setSelectionModel(m_details->selectionModel());
    setUpCommon(m_list, multiSelect);
    m_list->setViewMode(QListView::ListMode);
    m_list->setFlow(QListView::TopToBottom);
    m_list->setWrapping(true);
    m_list->setResizeMode(QListView::Adjust);
    // Each column of names as wide as its longest: one size for all would be
    // the first name's, cutting every longer one.
    m_list->setUniformItemSizes(false);
    m_list->setTextElideMode(Qt::ElideNone);
    m_list->setLayoutMode(QListView::Batched);
    m_list->setBatchSize(kLayoutBatch);
    m_list->setIconSize(scale.px(QSize(16, 16)));
    addWidget(m_list);

    m_thumbnails->setObjectName(QStringLiteral("FileListThumbnails"));
    m_thumbnails->setAccessibleName(tr("Files (thumbnails)"));
    m_thumbnails->setModel(model);
    m_thumbnails->setSelectionModel(m_details->selectionModel());
    setUpCommon(m_thumbnails, multiSelect);
    m_thumbnails->setViewMode(QListView::IconMode);
    m_thumbnails->setFlow(QListView::LeftToRight);
    m_thumbnails->setWrapping(true);
    m_thumbnails->setResizeMode(QListView::Adjust);
    m_thumbnails->setMovement(QListView::Static);
    m_thumbnails->setUniformItemSizes(true);
    m_thumbnails->setLayoutMode(QListView::Batched);
    m_thumbnails->setBatchSize(kLayoutBatch);
    m_thumbnails->setIconSize(scale.px(thumbnailSize));
    m_thumbnails->setSpacing(scale.px(4));
    addWidget(m_thumbnails);

    for (QAbstractItemView *view : { static_cast<QAbstractItemView *>(m_details),
             static_cast<QAbstractItemView *>(m_list), static_cast<QAbstractItemView *>(m_thumbnails) }) {
        connect(view, &QAbstractItemView::activated, this, &FileViews::activated);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint &pos) {
            Q_EMIT contextMenuRequested(view->viewport()->mapToGlobal(pos), view->indexAt(pos));
        });
    }

    m_message->setObjectName(QStringLiteral("FileListMessage"));
    m_message->setAccessibleName(tr("Folder message"));
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_message->hide();
}

QAbstractItemView *FileViews::currentView() const
{
    switch (m_mode) {
    case ViewMode::List:
        return m_list;
    case ViewMode::Thumbnails:
        return m_thumbnails;
    default:
        return m_details;
    }
}

void FileViews::restoreColumns(const ColumnLayout &layout)
{
    QHeaderView *header = m_details->header();
    if (!layout.isEmpty()) {
        for (int column = 0; column < header->count() && column < layout.widthsAt96.size(); ++column) {
            if (column != FileListModel::NameColumn && layout.widthsAt96[column] > 0)
                header->resizeSection(column, m_scale.px(layout.widthsAt96[column]));
        }
        if (layout.sortColumn >= 0 && layout.sortColumn < header->count())
            header->setSortIndicator(layout.sortColumn, layout.descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
    stretchNameColumn();
}

ColumnLayout FileViews::columnLayout() const
{
    const QHeaderView *header = m_details->header();
    ColumnLayout layout;
    for (int column = 0; column < header->count(); ++column)
        layout.widthsAt96.append(m_scale.at96(header->sectionSize(column)));
    layout.sortColumn = header->sortIndicatorSection();
    layout.descending = header->sortIndicatorOrder() == Qt::DescendingOrder;
    return layout;
}

void FileViews::showFolderColumn(bool show)
{
    m_details->header()->setSectionHidden(FileListModel::FolderColumn, !show);
}

void FileViews::stretchNameColumn()
{
    // The name is what people read: it takes whatever width the other
    // columns leave (a stored header may say otherwise; it lost).
    m_details->header()->setSectionResizeMode(FileListModel::NameColumn, QHeaderView::Stretch);
}

QList<QAbstractItemView *> FileViews::views() const
{
    return { m_details, m_list, m_thumbnails };
}

QItemSelectionModel *FileViews::selectionModel() const
{
    return m_details->selectionModel();
}

void FileViews::setViewMode(ViewMode mode)
{
    if (mode == m_mode)
        return;
    const bool hadFocus = currentView()->hasFocus();
    m_mode = mode;
    QAbstractItemView *view = currentView();
    setCurrentWidget(view);
    if (view->currentIndex().isValid())
        view->scrollTo(view->currentIndex());
    if (hadFocus)
        view->setFocus();
    m_message->raise();
    Q_EMIT viewModeChanged(mode);
}

void FileViews::setThumbnailSource(WaveformThumbnails *source)
{
    m_thumbnails->setItemDelegate(new WaveformDelegate(source, m_thumbnailSize, m_thumbnails));
}

std::pair<int, int> FileViews::visibleThumbnailRows() const
{
    const int rows = m_model->rowCount();
    const QRect viewport = m_thumbnails->viewport()->rect();
    if (rows == 0 || !m_thumbnails->isVisible())
        return { -1, -1 };
    // Items flow in row order, so the visible ones are one run; find its ends
    // by bisection instead of asking every item.
    auto rectOf = [this](int row) { return m_thumbnails->visualRect(m_model->index(row, 0)); };
    int low = 0;
    int high = rows;
    while (low < high) {
        const int mid = (low + high) / 2;
        if (rectOf(mid).bottom() < viewport.top())
            low = mid + 1;
        else
            high = mid;
    }
    const int first = low;
    high = rows;
    while (low < high) {
        const int mid = (low + high) / 2;
        if (rectOf(mid).top() <= viewport.bottom())
            low = mid + 1;
        else
            high = mid;
    }
    const int last = low - 1;
    if (first >= rows || last < first)
        return { -1, -1 };
    return { first, last };
}

void FileViews::setMessage(const QString &text)
{
    m_message->setText(text);
    m_message->setVisible(!text.isEmpty());
    m_message->raise();
    placeMessage();
}

QString FileViews::message() const
{
    return m_message->isVisible() ? m_message->text() : QString();
}

void FileViews::resizeEvent(QResizeEvent *event)
{
    QStackedWidget::resizeEvent(event);
    placeMessage();
}

void FileViews::placeMessage()
{
    // Below the details header, across the width, so it reads as a row of the list.
    const int top = m_details->header()->isVisible() ? m_details->header()->height() : 0;
    const int height = m_message->sizeHint().height() * 2;
    m_message->setGeometry(8, top + 8, std::max(0, width() - 16), height);
}

} // namespace bd
