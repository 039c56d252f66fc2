#include "util/FileOperation.h"

#include "util/VantrelError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <gio/gio.h>

#include <sys/stat.h>

#include <memory>

namespace {

struct ObjectUnref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
using FilePtr = std::unique_ptr<GFile, ObjectUnref>;

struct ErrorFree
{
    void operator()(GError *error) const { g_error_free(error); }
};
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

FilePtr fileFor(const QString &path)
{
    return FilePtr(g_file_new_for_path(QFile::encodeName(path).constData()));
}

QString messageOf(const GError *error)
{
    return error ? QString::fromUtf8(error->message) : QString();
}

bool isCancelledError(const GError *error)
{
    return g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
}

// True for anything at the path, a dangling symbolic link included.
bool pathTaken(const QString &path)
{
    struct stat info{};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

bool makeFolder(const QString &folder)
{
    if (::mkdir(QFile::encodeName(folder).constData(), 0777) == 0)
        return true;
    // Made by someone else in the meantime: just as good.
    return QFileInfo(folder).isDir();
}

QString fileNameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

// Data handed to GIO's progress callback.
struct CopyProgress
{
    FileOperationObserver *observer;
    FileOperationProgress *progress;
    qint64 doneBefore;
};

void copyProgress(goffset current, goffset /*total*/, gpointer data)
{
    auto *state = static_cast<CopyProgress *>(data);
    state->progress->doneBytes = state->doneBefore + current;
    state->observer->progress(*state->progress);
}

} // namespace

bool EnsureFolderExists(const QString &folder)
{
    if (folder.isEmpty())
        throw VantrelError(QStringLiteral("Unable to create directory"));
    QString path = folder;
    if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    if (QFileInfo(path).isDir())
        return true;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString parent = slash >= 0 ? path.left(slash + 1) : QString();
    if (path.size() < 3 || parent == path)
        return makeFolder(path);
    if (!EnsureFolderExists(parent))
        return false;
    return makeFolder(path);
}

struct FileOperation::Transfer
{
    QString source;
    QString target;
    qint64 size = 0;
    bool replace = false;
};

FileOperation::FileOperation(FileOperationKind kind, QStringList sources, QString targetFolder)
    : m_kind(kind)
    , m_sources(std::move(sources))
    , m_targetFolder(std::move(targetFolder))
    , m_cancellable(g_cancellable_new())
{
}

FileOperation::~FileOperation()
{
    g_object_unref(m_cancellable);
}

void FileOperation::Cancel()
{
    m_cancelled = true;
    g_cancellable_cancel(static_cast<GCancellable *>(m_cancellable));
}

bool FileOperation::IsCancelled() const
{
    return m_cancelled;
}

QString FileOperation::UniqueName(const QString &folder, const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const bool hasExtension = dot > 0;
    const QString base = hasExtension ? fileName.left(dot) : fileName;
    const QString extension = hasExtension ? fileName.mid(dot) : QString();
    for (int n = 2;; ++n) {
        const QString candidate = base + QStringLiteral(" (") + QString::number(n) + QLatin1Char(')') + extension;
        if (!pathTaken(folder + QLatin1Char('/') + candidate))
            return candidate;
    }
}

void FileOperation::report(FileOperationObserver &observer, const QString &current, qint64 doneInFile)
{
    FileOperationProgress snapshot = m_progress;
    snapshot.currentFile = current;
    snapshot.doneBytes += doneInFile;
    observer.progress(snapshot);
}

FileOperationResult FileOperation::Run(FileOperationObserver &observer)
{
    const QString folder = QDir::cleanPath(m_targetFolder);
    QList<Transfer> transfers;
    m_progress = {};
    for (const QString &source : std::as_const(m_sources)) {
        Transfer transfer;
        transfer.source = source;
        transfer.target = folder + QLatin1Char('/') + fileNameOf(source);
        transfer.size = QFileInfo(source).size();
        m_progress.totalBytes += transfer.size;
        transfers.append(transfer);
    }
    m_progress.totalFiles = int(transfers.size());

    FileOperationResult result;
    for (Transfer &transfer : transfers) {
        if (IsCancelled()) {
            result.cancelled = true;
            break;
        }
        report(observer, transfer.source, 0);
        const qint64 doneBefore = m_progress.doneBytes;
        switch (transferOne(transfer, observer)) {
        case Outcome::Done:
            result.transferred.append(transfer.target);
            break;
        case Outcome::Skipped:
            ++result.skipped;
            break;
        case Outcome::Failed:
            ++result.failed;
            break;
        case Outcome::Cancelled:
            result.cancelled = true;
            break;
        }
        if (result.cancelled)
            break;
        m_progress.doneBytes = doneBefore + transfer.size;
        ++m_progress.doneFiles;
        report(observer, transfer.source, 0);
    }
    return result;
}

FileOperation::Outcome FileOperation::fail(Transfer &transfer, FileOperationObserver &observer, const QString &message)
{
    if (IsCancelled())
        return Outcome::Cancelled;
    if (observer.resolveError(transfer.source, message) == ErrorResolution::Cancel) {
        Cancel();
        return Outcome::Cancelled;
    }
    return Outcome::Failed;
}

FileOperation::Outcome FileOperation::transferOne(Transfer &transfer, FileOperationObserver &observer)
{
    const QFileInfo source(transfer.source);
    if (!source.exists())
        return fail(transfer, observer, QStringLiteral("The file does not exist."));
    if (source.isDir())
        return fail(transfer, observer, QStringLiteral("This is a folder, not a file."));

    const QString folder = QFileInfo(transfer.target).path();
    const QFileInfo target(transfer.target);
    if (target.exists() && target.canonicalFilePath() == source.canonicalFilePath()) {
        // The file is already in the folder: a move has nothing to do, a copy
        // becomes a second file beside it.
        if (m_kind == FileOperationKind::Move)
            return Outcome::Skipped;
        transfer.target = folder + QLatin1Char('/') + UniqueName(folder, source.fileName());
    } else if (pathTaken(transfer.target)) {
        ConflictDecision decision = m_decisionForAll;
        if (!m_haveDecisionForAll) {
            FileConflict conflict;
            conflict.source = transfer.source;
            conflict.target = transfer.target;
            conflict.sourceSize = source.size();
            conflict.targetSize = target.size();
            conflict.sourceModified = source.lastModified();
            conflict.targetModified = target.lastModified();
            decision = observer.resolveConflict(conflict);
            if (decision.applyToAll && decision.resolution != ConflictResolution::Cancel) {
                m_haveDecisionForAll = true;
                m_decisionForAll = decision;
            }
        }
        switch (decision.resolution) {
        case ConflictResolution::Cancel:
            Cancel();
            return Outcome::Cancelled;
        case ConflictResolution::Skip:
            return Outcome::Skipped;
        case ConflictResolution::KeepBoth:
            transfer.target = folder + QLatin1Char('/') + UniqueName(folder, source.fileName());
            break;
        case ConflictResolution::Replace:
            if (target.isDir() && !target.isSymLink())
                return fail(transfer, observer, QStringLiteral("A folder of the same name is in the way."));
            transfer.replace = true;
            break;
        }
    }
    if (IsCancelled())
        return Outcome::Cancelled;

    const FilePtr from = fileFor(transfer.source);
    const FilePtr to = fileFor(transfer.target);
    if (m_kind == FileOperationKind::Move) {
        // Within one file system a move is a rename; GIO reports "not
        // supported" when the two are on different file systems.
        GError *raw = nullptr;
        const auto flags = GFileCopyFlags(G_FILE_COPY_NO_FALLBACK_FOR_MOVE | G_FILE_COPY_NOFOLLOW_SYMLINKS
                                          | (transfer.replace ? G_FILE_COPY_OVERWRITE : 0));
        if (g_file_move(from.get(), to.get(), flags, static_cast<GCancellable *>(m_cancellable), nullptr, nullptr, &raw))
            return Outcome::Done;
        const ErrorPtr error(raw);
        if (isCancelledError(error.get()))
            return Outcome::Cancelled;
        if (!g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_NOT_SUPPORTED))
            return fail(transfer, observer, messageOf(error.get()));
    }

    const Outcome copied = copyThenRename(transfer, observer);
    if (copied != Outcome::Done || m_kind == FileOperationKind::Copy)
        return copied;

    // The copy is complete under its final name; only now may the source go.
    GError *raw = nullptr;
    if (!g_file_delete(from.get(), nullptr, &raw)) {
        const ErrorPtr error(raw);
        return fail(transfer, observer,
                    QStringLiteral("The file was copied, but the original could not be removed: ") + messageOf(error.get()));
    }
    return Outcome::Done;
}

FileOperation::Outcome FileOperation::copyThenRename(Transfer &transfer, FileOperationObserver &observer)
{
    const QString folder = QFileInfo(transfer.target).path();
    const QString name = QFileInfo(transfer.target).fileName();
    QString temporary;
    do {
        temporary = folder + QStringLiteral("/.") + name + QStringLiteral(".part-")
                    + QString::number(QRandomGenerator::global()->generate(), 16);
    } while (pathTaken(temporary));

    const FilePtr from = fileFor(transfer.source);
    const FilePtr partial = fileFor(temporary);
    const FilePtr to = fileFor(transfer.target);
    // A moved file keeps everything it had; a copy gets the usual subset.
    const bool move = m_kind == FileOperationKind::Move;
    const auto copyFlags = GFileCopyFlags(move ? G_FILE_COPY_ALL_METADATA | G_FILE_COPY_NOFOLLOW_SYMLINKS : G_FILE_COPY_NONE);
    CopyProgress progress{&observer, &m_progress, m_progress.doneBytes};
    m_progress.currentFile = transfer.source;

    GError *raw = nullptr;
    const bool copied = g_file_copy(from.get(), partial.get(), copyFlags, static_cast<GCancellable *>(m_cancellable),
                                    &copyProgress, &progress, &raw);
    m_progress.doneBytes = progress.doneBefore;
    if (!copied) {
        const ErrorPtr error(raw);
        g_file_delete(partial.get(), nullptr, nullptr);
        if (isCancelledError(error.get()))
            return Outcome::Cancelled;
        return fail(transfer, observer, messageOf(error.get()));
    }

    // Not cancellable: the file is complete, putting it in place is instant.
    const auto renameFlags = GFileCopyFlags(G_FILE_COPY_NO_FALLBACK_FOR_MOVE | G_FILE_COPY_NOFOLLOW_SYMLINKS
                                            | (transfer.replace ? G_FILE_COPY_OVERWRITE : 0));
    if (!g_file_move(partial.get(), to.get(), renameFlags, nullptr, nullptr, nullptr, &raw)) {
        const ErrorPtr error(raw);
        g_file_delete(partial.get(), nullptr, nullptr);
        return fail(transfer, observer, messageOf(error.get()));
    }
    return Outcome::Done;
}
