#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;

namespace bd {

// Watches one folder with inotify for files appearing, going, being renamed,
// written and closed, or changing attributes, and the folder itself going.
// QFileSystemWatcher leaves out writes to files inside a watched folder, so
// a file copied or recorded into it would keep its first, partial size.
// Lives on one thread; every call and the report happen there.
class DirectoryWatch : public QObject
{
    Q_OBJECT

public:
    using Changed = std::function<void(const QString &folder)>;

    explicit DirectoryWatch(Changed changed);
    ~DirectoryWatch() override;

    // Watches folder instead of the one before; empty stops watching.
    void watch(const QString &folder);
    QString folder() const { return m_folder; }

private:
    void readEvents();

    Changed m_changed;
    int m_fd = -1;
    int m_wd = -1;
    QString m_folder;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace bd
