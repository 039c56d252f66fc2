#include "UserPlaces.h"

#include "DrawnIcons.h"
#include "platform/KeyStore.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPalette>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace bd {

namespace {

constexpr int kPlaceIndexRole = Qt::UserRole + 2;

QString defaultName(const QString &folder)
{
    const QString name = QFileInfo(folder).fileName();
    return name.isEmpty() ? folder : name;
}

// Editors for place names that the browser can watch, so the host knows a
// text field has the keyboard (and lets the space bar through).
class PlaceNameDelegate : public QStyledItemDelegate
{
public:
    PlaceNameDelegate(UserPlaces *places, QObject *parent)
        : QStyledItemDelegate(parent)
        , m_places(places)
    { }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *edit = qobject_cast<QLineEdit *>(editor)) {
            edit->setObjectName(QStringLiteral("PlaceNameEdit"));
            edit->setAccessibleName(QObject::tr("Place name"));
            Q_EMIT m_places->editorOpened(edit);
        }
        return editor;
    }

private:
    UserPlaces *m_places;
};

} // namespace

UserPlaces::UserPlaces(QTreeWidget *view, QTreeWidgetItem *group, QObject *parent)
    : QObject(parent)
    , m_view(view)
    , m_group(group)
{
    if (const auto read = DialogSettings::readPlaces()) {
        m_places = read.value();
    } else {
        m_refusalShort = tr("Too many places");
        m_refusal = tr("Your places are not shown: the key store lists %1 of them, more than the %2 this panel "
                       "holds. Remove some from [%3] in %4.")
                        .arg(read.error().listed)
                        .arg(DialogSettings::kMaxPlaces)
                        .arg(DialogSettings::placesKey(), platform::KeyStore::defaultPath());
    }
    setObjectName(QStringLiteral("UserPlaces"));
    m_pool.setMaxThreadCount(1);
    m_pool.setObjectName(QStringLiteral("BrivaneDialogs places"));
    m_view->setItemDelegate(new PlaceNameDelegate(this, m_view));
    // F2 or the menu renames; a double click opens the place as before.
    m_view->setEditTriggers(QAbstractItemView::EditKeyPressed);
    connect(m_view, &QTreeWidget::itemChanged, this, &UserPlaces::itemChanged);
    m_group->setToolTip(0, tr("Right-click or press Ctrl+D to add the folder shown"));
    rebuild();
    m_timer.setInterval(kCheckIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &UserPlaces::checkAvailability);
    m_timer.start();
    checkAvailability();
}

UserPlaces::~UserPlaces()
{
    // The check runs this library's code: done before the host may unload it.
    m_pool.clear();
    m_pool.waitForDone();
}

void UserPlaces::rebuild()
{
    m_rebuilding = true;
    qDeleteAll(m_group->takeChildren());
    const QIcon folderIcon = drawnIcon(DrawnIcon::Folder);
    while (m_available.size() < m_places.size())
        m_available.append(true); // until checked: shown as usual
    for (qsizetype i = 0; i < m_places.size(); ++i) {
        const Place &place = m_places.at(i);
        auto *item = new QTreeWidgetItem(m_group, { place.name });
        item->setData(0, kPlacePathRole, place.folder);
        item->setData(0, kPlaceIndexRole, int(i));
        item->setIcon(0, folderIcon);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    }
    if (!m_refusal.isEmpty()) {
        auto *item = new QTreeWidgetItem(m_group, { m_refusalShort });
        item->setToolTip(0, m_refusal);
        // Read out whole by a screen reader, as its tooltip shows it.
        item->setData(0, Qt::AccessibleDescriptionRole, m_refusal);
        item->setIcon(0, QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning));
        item->setFlags(Qt::ItemIsEnabled);
    }
    m_group->setExpanded(true);
    m_rebuilding = false;
    m_forceShow = true;
    showAvailability(m_available);
}

void UserPlaces::store()
{
    DialogSettings::writePlaces(m_places);
}

bool UserPlaces::add(const QString &folder)
{
    if (folder.isEmpty() || !canAdd())
        return false;
    const QString clean = QDir::cleanPath(folder);
    for (qsizetype i = 0; i < m_places.size(); ++i) {
        if (m_places.at(i).folder == clean) {
            m_view->setCurrentItem(m_group->child(int(i)));
            return false;
        }
    }
    m_places.append({ defaultName(clean), clean });
    m_available.append(true);
    store();
    rebuild();
    checkAvailability();
    m_view->setCurrentItem(m_group->child(m_group->childCount() - 1));
    return true;
}

int UserPlaces::indexOf(const QTreeWidgetItem *item) const
{
    if (!item || item->parent() != m_group)
        return -1;
    const int index = item->data(0, kPlaceIndexRole).toInt();
    return index >= 0 && index < m_places.size() ? index : -1;
}

bool UserPlaces::canAdd() const
{
    // With the store's places refused, storing the ones shown would drop them.
    return m_refusal.isEmpty() && m_places.size() < DialogSettings::kMaxPlaces;
}

bool UserPlaces::isPlace(const QTreeWidgetItem *item) const
{
    return indexOf(item) >= 0;
}

bool UserPlaces::isAvailable(const QTreeWidgetItem *item) const
{
    const int index = indexOf(item);
    return index >= 0 && m_available.value(index, true);
}

void UserPlaces::rename(QTreeWidgetItem *item)
{
    if (isPlace(item))
        m_view->editItem(item, 0);
}

void UserPlaces::remove(QTreeWidgetItem *item)
{
    const int index = indexOf(item);
    if (index < 0)
        return;
    m_places.removeAt(index);
    m_available.removeAt(index);
    store();
    rebuild();
    checkAvailability();
}

void UserPlaces::itemChanged(QTreeWidgetItem *item, int column)
{
    const int index = indexOf(item);
    if (m_rebuilding || column != 0 || index < 0)
        return;
    const QString name = item->text(0).trimmed();
    Place &place = m_places[index];
    // An emptied name goes back to the folder's own name.
    const QString wanted = name.isEmpty() ? defaultName(place.folder) : name;
    if (wanted != item->text(0)) {
        m_rebuilding = true;
        item->setText(0, wanted);
        m_rebuilding = false;
    }
    if (wanted == place.name)
        return;
    place.name = wanted;
    store();
    showPlace(item, index);
}

void UserPlaces::checkAvailability()
{
    const quint64 generation = ++m_generation;
    QStringList folders;
    for (const Place &place : std::as_const(m_places))
        folders.append(place.folder);
    m_pool.clear(); // a check not started yet is stale now
    m_pool.start([this, folders, generation] {
        QList<bool> available;
        for (const QString &folder : folders)
            available.append(QFileInfo(folder).isDir());
        // Safe: the destructor waits for this thread, and Qt drops what is
        // queued for an object that is gone.
        QMetaObject::invokeMethod(
            this,
            [this, available, generation] {
                if (generation == m_generation)
                    showAvailability(available);
            },
            Qt::QueuedConnection);
    });
}

void UserPlaces::showAvailability(const QList<bool> &available)
{
    const QList<bool> before = m_available;
    m_available = available;
    for (int i = 0; i < m_group->childCount(); ++i) {
        const int index = indexOf(m_group->child(i));
        // Only what changed: touching an item resets a name being edited.
        if (index >= 0 && (m_forceShow || before.value(index, true) != available.value(index, true)))
            showPlace(m_group->child(i), index);
    }
    m_forceShow = false;
    Q_EMIT availabilityChecked();
}

void UserPlaces::showPlace(QTreeWidgetItem *item, int index)
{
    const bool there = m_available.value(index, true);
    const Place &place = m_places.at(index);
    const QStyle *style = QApplication::style();
    m_rebuilding = true;
    item->setIcon(0, there ? drawnIcon(DrawnIcon::Folder) : style->standardIcon(QStyle::SP_MessageBoxWarning));
    item->setForeground(0, there ? QBrush() : m_view->palette().brush(QPalette::Disabled, QPalette::Text));
    item->setToolTip(0, there ? place.folder : tr("Not available: %1").arg(place.folder));
    item->setData(0, Qt::AccessibleTextRole, there ? place.name : tr("%1 (not available)").arg(place.name));
    m_rebuilding = false;
}

} // namespace bd
