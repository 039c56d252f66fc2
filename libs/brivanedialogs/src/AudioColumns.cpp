#include "AudioColumns.h"

#include "AudioProperties.h"
#include "FileListModel.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QTreeView>

#include <cmath>

namespace bd {

namespace {

// Scrolling and resizing come in bursts; the range is worked out once the
// burst pauses this long, which is still well under a frame of reading.
constexpr int kSettleMs = 30;

QString tr(const char *text)
{
    return QCoreApplication::translate("bd::AudioColumns", text);
}

QString twoDigits(qint64 value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QString durationText(std::int32_t ms)
{
    const qint64 seconds = ms / 1000;
    if (seconds >= 3600)
        return QString::number(seconds / 3600) + u':' + twoDigits(seconds / 60 % 60) + u':' + twoDigits(seconds % 60);
    if (seconds >= 60)
        return QString::number(seconds / 60) + u':' + twoDigits(seconds % 60);
    // Short samples are told apart by hundredths.
    return QStringLiteral("0:") + twoDigits(seconds) + u'.' + twoDigits(ms % 1000 / 10);
}

} // namespace

QString audioColumnTitle(int column)
{
    switch (AudioColumn(column)) {
    case AudioColumn::Duration:
        return tr("Duration");
    case AudioColumn::SampleRate:
        return tr("Sample rate");
    case AudioColumn::BitDepth:
        return tr("Bit depth");
    case AudioColumn::Channels:
        return tr("Channels");
    case AudioColumn::BitRate:
        return tr("Bit rate");
    }
    return {};
}

QString audioText(const AudioDetails &details, int column, const QLocale &locale)
{
    switch (AudioColumn(column)) {
    case AudioColumn::Duration:
        if (details.durationMs < 0)
            return {};
        // A guess from the bit rate can be far off (a variable-rate MP3
        // without a Xing frame): shown as about that long.
        if (details.durationEstimated)
            return u'~' + durationText(details.durationMs);
        return durationText(details.durationMs);
    case AudioColumn::SampleRate:
        return details.sampleRate <= 0 ? QString() : locale.toString(details.sampleRate / 1000.0, 'g', 6) + tr(" kHz");
    case AudioColumn::BitDepth:
        return details.bitDepth <= 0 ? QString() : tr("%1-bit").arg(details.bitDepth);
    case AudioColumn::Channels:
        if (details.channels <= 0)
            return {};
        if (details.channels <= 2)
            return details.channels == 1 ? tr("Mono") : tr("Stereo");
        return QString::number(details.channels);
    case AudioColumn::BitRate:
        return details.bitRate <= 0 ? QString()
                                    : locale.toString(qint64(std::lround(details.bitRate / 1000.0))) + tr(" kbps");
    }
    return {};
}

AudioColumns::AudioColumns(FileListModel *model, QTreeView *details, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_details(details)
    , m_view(details)
    , m_viewport(details->viewport())
{
    QHeaderView *header = details->header();
    setShownMask(kDefaultShown);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QWidget::customContextMenuRequested, this,
        [this, header](const QPoint &pos) { makeHeaderMenu(header)->popup(header->mapToGlobal(pos)); });

    m_timer.setSingleShot(true);
    m_timer.setInterval(kSettleMs);
    connect(&m_timer, &QTimer::timeout, this, &AudioColumns::readVisibleRows);
    connect(details->verticalScrollBar(), &QScrollBar::valueChanged, this, &AudioColumns::schedule);
    connect(model, &QAbstractItemModel::modelReset, this, &AudioColumns::schedule);
    connect(model, &QAbstractItemModel::rowsInserted, this, &AudioColumns::schedule);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &AudioColumns::schedule);
    connect(model, &QAbstractItemModel::layoutChanged, this, &AudioColumns::schedule);
    // A click on an audio column's header: the progress shows at once.
    connect(model, &QAbstractItemModel::layoutChanged, this, &AudioColumns::countProgress);
    connect(model, &QAbstractItemModel::modelReset, this, &AudioColumns::countProgress);
    connect(model, &QAbstractItemModel::rowsInserted, this, &AudioColumns::countProgress);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &AudioColumns::countProgress);
    // A file saved over while shown comes back as a changed row, its values
    // forgotten. Values arriving change only the audio columns, and asking
    // again for those still on their way would read them twice.
    connect(model, &QAbstractItemModel::dataChanged, this,
        [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
            if (topLeft.column() < kFirstAudioColumn && hasUnreadFile(topLeft.row(), bottomRight.row()))
                schedule();
            countProgress();
        });
    connect(header, &QHeaderView::sectionResized, this, [this](int, int oldSize, int newSize) {
        if (oldSize == 0 || newSize == 0) // shown or hidden
            schedule();
    });
    details->installEventFilter(this);
    details->viewport()->installEventFilter(this);
}

void AudioColumns::setShownMask(quint32 mask)
{
    QHeaderView *header = m_details->header();
    for (int i = 0; i < kAudioColumnCount; ++i)
        header->setSectionHidden(kFirstAudioColumn + i, !(mask & (1u << i)));
    schedule();
}

quint32 AudioColumns::shownMask() const
{
    quint32 mask = 0;
    for (int i = 0; i < kAudioColumnCount; ++i) {
        if (!m_details->header()->isSectionHidden(kFirstAudioColumn + i))
            mask |= 1u << i;
    }
    return mask;
}

QMenu *AudioColumns::makeHeaderMenu(QWidget *parent)
{
    // Not exec(): the host may close the browser while a nested loop runs.
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("ColumnsMenu"));
    menu->setAccessibleName(tr("Columns"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    static const char *const names[kAudioColumnCount]
        = { "ColumnDuration", "ColumnSampleRate", "ColumnBitDepth", "ColumnChannels", "ColumnBitRate" };
    for (int i = 0; i < kAudioColumnCount; ++i) {
        const int column = kFirstAudioColumn + i;
        QAction *action = menu->addAction(audioColumnTitle(column));
        action->setObjectName(QString::fromLatin1(names[i]));
        action->setCheckable(true);
        action->setChecked(!m_details->header()->isSectionHidden(column));
        connect(action, &QAction::toggled, this, [this, i](bool on) {
            const quint32 bit = 1u << i;
            setShownMask(on ? shownMask() | bit : shownMask() & ~bit);
        });
    }
    return menu;
}

bool AudioColumns::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_view && event->type() == QEvent::Show)
        || (watched == m_viewport && event->type() == QEvent::Resize))
        schedule();
    if (watched == m_view && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        countProgress();
    return QObject::eventFilter(watched, event);
}

void AudioColumns::schedule()
{
    if (!m_timer.isActive())
        m_timer.start();
}

bool AudioColumns::hasUnreadFile(int first, int last) const
{
    for (int row = std::max(first, 0); row <= last && row < m_model->rowCount(); ++row) {
        const FolderEntry &entry = m_model->entry(row);
        if (!entry.isDir && entry.audioState == AudioState::Unread)
            return true;
    }
    return false;
}

void AudioColumns::countProgress()
{
    // Values are read only while the details view shows an audio column.
    const bool reading
        = isAudioColumn(m_model->sortColumn()) && m_details && m_details->isVisible() && shownMask() != 0;
    const int unread = reading ? m_model->unreadFiles() : 0;
    const int files = m_model->fileCount();
    if (unread == m_unread && files == m_files)
        return;
    m_unread = unread;
    m_files = files;
    Q_EMIT progressChanged();
}

QString AudioColumns::progressText() const
{
    if (m_unread == 0)
        return {};
    static const char *const what[kAudioColumnCount] = { QT_TRANSLATE_NOOP("bd::AudioColumns", "durations"),
        QT_TRANSLATE_NOOP("bd::AudioColumns", "sample rates"), QT_TRANSLATE_NOOP("bd::AudioColumns", "bit depths"),
        QT_TRANSLATE_NOOP("bd::AudioColumns", "channels"), QT_TRANSLATE_NOOP("bd::AudioColumns", "bit rates") };
    const int column = m_model->sortColumn() - kFirstAudioColumn;
    return tr("reading %1… %2 of %3").arg(tr(what[column])).arg(m_files - m_unread).arg(m_files);
}

void AudioColumns::readVisibleRows()
{
    if (!m_details)
        return;
    const int rows = m_model->rowCount();
    if (shownMask() == 0 || !m_details->isVisible() || rows == 0)
        return;
    const QRect viewport = m_details->viewport()->rect();
    int first = m_details->indexAt(QPoint(1, viewport.top() + 1)).row();
    int last = m_details->indexAt(QPoint(1, viewport.bottom() - 1)).row();
    if (first < 0)
        first = 0;
    if (last < 0)
        last = rows - 1;
    // The rows on screen first, then a page below (where scrolling mostly
    // goes), then a page above.
    const int page = last - first + 1;
    std::vector<int> wanted;
    wanted.reserve(std::size_t(page) * 3);
    for (int row = first; row <= last; ++row)
        wanted.push_back(row);
    for (int row = last + 1; row < std::min(rows, last + 1 + page); ++row)
        wanted.push_back(row);
    for (int row = first - 1; row >= std::max(0, first - page); --row)
        wanted.push_back(row);
    if (isAudioColumn(m_model->sortColumn())) {
        // The order needs every value; the rest of the folder comes after
        // what is on screen, and a scroll asks for it all again.
        for (int row = last + 1 + page; row < rows; ++row)
            wanted.push_back(row);
        for (int row = first - page - 1; row >= 0; --row)
            wanted.push_back(row);
    }

    QVector<AudioFile> toRead;
    QVector<AudioReading> known;
    for (int row : wanted) {
        const FolderEntry &entry = m_model->entry(row);
        if (entry.isDir || entry.audioState != AudioState::Unread)
            continue;
        AudioFile file { m_model->fullPath(row), entry.size, entry.modified, row };
        if (std::optional<AudioReading> reading = AudioProperties::cached(file)) {
            reading->file.rowHint = row;
            known.append(std::move(*reading));
        } else
            toRead.append(std::move(file));
    }
    if (!known.isEmpty())
        m_model->setAudioDetails(known);
    if (toRead.isEmpty() && !m_reader)
        return;
    if (!m_reader) {
        m_reader = new AudioProperties(this);
        connect(m_reader, &AudioProperties::read, m_model, &FileListModel::setAudioDetails);
        connect(m_reader, &AudioProperties::read, this, &AudioColumns::read);
    }
    m_reader->request(std::move(toRead));
}

} // namespace bd
