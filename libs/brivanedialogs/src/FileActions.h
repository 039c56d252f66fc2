#pragma once

#include <QObject>
#include <QStringList>
#include <QThreadPool>

class QAction;
class QMenu;
class QWidget;

namespace bd {

// What the browser does with selected items beyond opening them: show them
// in the desktop's file manager, and move them to the trash. Trashing runs
// on a thread of its own, so a slow file system never holds the GUI; it
// never deletes anything for good (GIO's trash refuses what it cannot keep,
// and that is reported).
class FileActions : public QObject
{
    Q_OBJECT

public:
    explicit FileActions(QWidget *owner);
    ~FileActions() override;

    // Adds "Show in file manager" and "Move to trash" for paths to menu,
    // before before (at the end when null); greyed when paths is empty.
    void addTo(QMenu *menu, QAction *before, const QStringList &paths);

    // Asks org.freedesktop.FileManager1 on the session bus to show paths
    // selected; when no file manager answers, opens the first path's folder,
    // and says so when nothing can open it either.
    void showInFileManager(const QStringList &paths);
    void moveToTrash(const QStringList &paths);

    // How long the file manager may take to answer before the folder is
    // opened instead.
    static constexpr int kFileManagerTimeoutMs = 5000;

Q_SIGNALS:
    // Trashing finished; failures holds "name: reason" lines (empty when all
    // went). The list has changed either way.
    void trashFinished(const QStringList &trashed, const QStringList &failures);

private:
    void openContainingFolder(const QString &path);
    void reportTrashFailures(const QStringList &failures);
    // A warning over the browser that leaves it usable.
    void showWarning(const QString &title, const QString &text, const QString &details, const QString &objectName,
        const QString &accessibleName);

    QWidget *m_owner;
    QThreadPool m_pool;
};

} // namespace bd
