#include "FileActions.h"

#include "platform/GioLibrary.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>
#include <QWidget>

#include <memory>

namespace bd {

namespace {

const QString kFileManagerService = QStringLiteral("org.freedesktop.FileManager1");
const QString kFileManagerPath = QStringLiteral("/org/freedesktop/FileManager1");

// Moves one path to the trash; empty on success, else the reason.
QString trashOne(const QString &path)
{
    if (!gio::available())
        return QStringLiteral("the file library GIO (libgio-2.0.so.0) could not be loaded");
    const QByteArray encoded = QFile::encodeName(path);
    std::unique_ptr<GFile, decltype(&gio::object_unref)> file(
        gio::file_new_for_path(encoded.constData()), &gio::object_unref);
    GError *error = nullptr;
    if (gio::file_trash(file.get(), nullptr, &error))
        return {};
    QString reason = error ? QString::fromUtf8(error->message) : QStringLiteral("unknown error");
    if (error)
        g_error_free(error);
    return reason;
}

} // namespace

FileActions::FileActions(QWidget *owner)
    : QObject(owner)
    , m_owner(owner)
{
    setObjectName(QStringLiteral("FileActions"));
    // One at a time: trash requests keep their order.
    m_pool.setMaxThreadCount(1);
    m_pool.setObjectName(QStringLiteral("BrivaneDialogs trash"));
}

FileActions::~FileActions()
{
    // The worker's code lives in this library: it must be done before the
    // host may unload it.
    m_pool.waitForDone();
}

void FileActions::addTo(QMenu *menu, QAction *before, const QStringList &paths)
{
    auto *show = new QAction(tr("Show in file manager"), menu);
    show->setObjectName(QStringLiteral("ActionShowInFileManager"));
    show->setIcon(QIcon::fromTheme(QStringLiteral("system-file-manager")));
    show->setEnabled(!paths.isEmpty());
    connect(show, &QAction::triggered, this, [this, paths] { showInFileManager(paths); });

    auto *trash = new QAction(tr("Move to trash"), menu);
    trash->setObjectName(QStringLiteral("ActionMoveToTrash"));
    trash->setIcon(QIcon::fromTheme(QStringLiteral("user-trash")));
    trash->setEnabled(!paths.isEmpty());
    connect(trash, &QAction::triggered, this, [this, paths] { moveToTrash(paths); });

    menu->insertAction(before, show);
    menu->insertAction(before, trash);
    menu->insertSeparator(before);
}

void FileActions::showInFileManager(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openContainingFolder(paths.first());
        return;
    }
    QStringList uris;
    uris.reserve(paths.size());
    for (const QString &path : paths)
        uris.append(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
    QDBusMessage call = QDBusMessage::createMethodCall(
        kFileManagerService, kFileManagerPath, kFileManagerService, QStringLiteral("ShowItems"));
    call << uris << QString(); // no start-up notification id
    // Asynchronous: a file manager that starts slowly must not hold the GUI.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kFileManagerTimeoutMs), this);
    const QString first = paths.first();
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, first] {
        if (watcher->isError())
            openContainingFolder(first);
        watcher->deleteLater();
    });
}

void FileActions::openContainingFolder(const QString &path)
{
    const QFileInfo info(path);
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(info.absolutePath())))
        return;
    // Neither a file manager on the session bus nor a program to open
    // folders with (xdg-open): the click would otherwise do nothing at all.
    showWarning(tr("Show in file manager"), tr("No file manager could be found to show \"%1\".").arg(info.fileName()),
        tr("Install a file manager, or xdg-open (package xdg-utils), to open \"%1\".")
            .arg(QDir::toNativeSeparators(info.absolutePath())),
        QStringLiteral("NoFileManagerMessage"), tr("No file manager"));
}

void FileActions::moveToTrash(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    // Delivery below is safe: the destructor waits for the worker, and Qt
    // drops what is queued for an object that is gone.
    m_pool.start([paths, this] {
        QStringList trashed;
        QStringList failures;
        for (const QString &path : paths) {
            const QString reason = trashOne(path);
            if (reason.isEmpty())
                trashed.append(path);
            else
                failures.append(QFileInfo(path).fileName() + QStringLiteral(": ") + reason);
        }
        // Delivered on the GUI thread; dropped if the browser is gone.
        QMetaObject::invokeMethod(
            this,
            [this, trashed, failures] {
                if (!failures.isEmpty())
                    reportTrashFailures(failures);
                Q_EMIT trashFinished(trashed, failures);
            },
            Qt::QueuedConnection);
    });
}

void FileActions::reportTrashFailures(const QStringList &failures)
{
    showWarning(tr("Move to trash"),
        failures.size() == 1
            ? tr("This item could not be moved to the trash. It was not deleted.")
            : tr("%1 items could not be moved to the trash. They were not deleted.").arg(failures.size()),
        failures.join(u'\n'), QStringLiteral("TrashFailedMessage"), tr("Move to trash failed"));
}

void FileActions::showWarning(const QString &title, const QString &text, const QString &details,
    const QString &objectName, const QString &accessibleName)
{
    // Not exec(): the host may close the browser while a nested loop runs.
    auto *box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, m_owner);
    box->setObjectName(objectName);
    box->setAccessibleName(accessibleName);
    box->setInformativeText(details);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

} // namespace bd
