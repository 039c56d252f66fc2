#pragma once

#include "DialogSettings.h"

#include <QLineEdit>
#include <QObject>
#include <QThreadPool>
#include <QTimer>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace bd {

// The item role that holds a place's folder in the left panel.
inline constexpr int kPlacePathRole = Qt::UserRole + 1;

// The user's own places in the left panel: folders added with Ctrl+D or the
// panel's menu, renamed in place, removed; kept in the key store so every
// dialog and the next start show them. A place whose folder is gone (an
// unplugged disk, a renamed folder) stays, shown as not available; whether
// it is there is asked on a thread of its own, since a dead network mount
// can make that question hang.
class UserPlaces : public QObject
{
    Q_OBJECT

public:
    // Fills group (an item of view) from the key store.
    UserPlaces(QTreeWidget *view, QTreeWidgetItem *group, QObject *parent = nullptr);
    ~UserPlaces() override;

    QList<Place> places() const { return m_places; }
    // Adds folder under its own name, unless it is a place already or
    // canAdd() says no; true when added.
    bool add(const QString &folder);
    // False at DialogSettings::kMaxPlaces, and when the store's places were refused.
    bool canAdd() const;
    bool isPlace(const QTreeWidgetItem *item) const;
    // Starts editing the place's name in the panel.
    void rename(QTreeWidgetItem *item);
    void remove(QTreeWidgetItem *item);
    // Asks again which places are there (also done every few seconds).
    Q_INVOKABLE void checkAvailability();
    bool isAvailable(const QTreeWidgetItem *item) const;

    // How often the panel looks whether the places' folders are there.
    static constexpr int kCheckIntervalMs = 5000;

Q_SIGNALS:
    // A name editor opened (the browser reports its keyboard focus to the host).
    void editorOpened(QLineEdit *editor);
    // Availability of the places was checked and shown.
    void availabilityChecked();

private:
    void rebuild();
    void store();
    void itemChanged(QTreeWidgetItem *item, int column);
    void showAvailability(const QList<bool> &available);
    void showPlace(QTreeWidgetItem *item, int index);
    int indexOf(const QTreeWidgetItem *item) const;

    QTreeWidget *m_view;
    QTreeWidgetItem *m_group;
    QList<Place> m_places;
    // Why the store's places are not shown (too many of them); empty when they are.
    // Why the stored places are not shown: a line that fits the panel, and
    // the whole explanation for its tooltip.
    QString m_refusalShort;
    QString m_refusal;
    QList<bool> m_available;
    QThreadPool m_pool;
    QTimer m_timer;
    quint64 m_generation = 0;
    bool m_rebuilding = false;
    bool m_forceShow = false;
};

} // namespace bd
