#include "util/FileOperation.h"

#include "platform/GioLibrary.h"
#include "platform/UniqueFd.h"
#include "util/KernelFileCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct ObjectUnref
{
    void operator()(gpointer object) const { gio::object_unref(object); }
};
using FilePtr = std::unique_ptr<GFile, ObjectUnref>;

struct ErrorFree
{
    void operator()(GError *error) const { g_error_free(error); }
};
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

FilePtr fileFor(const QString &path)
{
    return FilePtr(gio::file_new_for_path(QFile::encodeName(path).constData()));
}

QString messageOf(const GError *error)
{
    return error ? QString::fromUtf8(error->message) : QString();
}

QString nativeFolder(const QString &folder)
{
    return QDir::toNativeSeparators(folder);
}

// What went wrong while writing into a folder, in the user's terms: the
// folder the file was going to, never the temporary name it had meanwhile.
QString writeFailure(int error, const QString &folder)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("There is not enough free space in the folder \"%1\".").arg(nativeFolder(folder));
    case EACCES:
    case EPERM:
        return QStringLiteral("You are not allowed to write into the folder \"%1\".").arg(nativeFolder(folder));
    case EROFS:
        return QStringLiteral("The folder \"%1\" is on a read-only disk.").arg(nativeFolder(folder));
    default:
        return QStringLiteral("Writing into the folder \"%1\" failed: %2.")
            .arg(nativeFolder(folder), QString::fromLocal8Bit(g_strerror(error)));
    }
}

// A rename within one file system that failed: the target folder's fault in
// writeFailure's words, else the file's own.
QString moveFailure(int error, const QString &folder)
{
    const bool folderWritable = ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
    if (error == ENOENT || ((error == EACCES || error == EPERM || error == EROFS) && folderWritable))
        return QStringLiteral("The file could not be moved: %1.").arg(QString::fromLocal8Bit(g_strerror(error)));
    return writeFailure(error, folder);
}

QString readFailure(int error)
{
    return QStringLiteral("The file could not be read: %1.").arg(QString::fromLocal8Bit(g_strerror(error)));
}

// GIO's message, put in the same terms: the common causes get the words of
// writeFailure, anything else keeps GIO's text with the temporary name
// replaced by the one the user chose.
QString gioFailure(const GError *error, const QString &temporary, const QString &target)
{
    const QString folder = QFileInfo(target).path();
    if (g_error_matches(error, gio::io_error_quark(), G_IO_ERROR_NO_SPACE))
        return writeFailure(ENOSPC, folder);
    if (g_error_matches(error, gio::io_error_quark(), G_IO_ERROR_READ_ONLY))
        return writeFailure(EROFS, folder);
    if (g_error_matches(error, gio::io_error_quark(), G_IO_ERROR_PERMISSION_DENIED)
        && ::access(QFile::encodeName(folder).constData(), W_OK) != 0)
        return writeFailure(EACCES, folder);
    QString message = messageOf(error);
    if (!temporary.isEmpty()) {
        message.replace(temporary, target);
        message.replace(QFileInfo(temporary).fileName(), QFileInfo(target).fileName());
    }
    return message;
}

// Two names of one file: the same path, or hard links to the same inode.
bool sameFile(const QString &a, const QString &b)
{
    struct stat first
    {
    };
    struct stat second
    {
    };
    return ::lstat(QFile::encodeName(a).constData(), &first) == 0
        && ::lstat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

bool isCancelledError(const GError *error)
{
    return g_error_matches(error, gio::io_error_quark(), G_IO_ERROR_CANCELLED);
}

// True for anything at the path, a dangling symbolic link included.
bool pathTaken(const QString &path)
{
    struct stat info
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

using FolderResult = platform::Result<platform::Done, FolderFailure>;

FolderResult makeFolder(const QString &folder)
{
    if (::mkdir(QFile::encodeName(folder).constData(), 0777) == 0)
        return {};
    // Made by someone else in the meantime: just as good.
    if (QFileInfo(folder).isDir())
        return {};
    return FolderResult::failure(FolderFailure::LevelNotCreated);
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

FolderResult EnsureFolderExists(const QString &folder)
{
    // Also reached from a relative text whose top level is three or more
    // characters long: its parent is the empty text.
    if (folder.isEmpty())
        return FolderResult::failure(FolderFailure::NotAFolder);
    QString path = folder;
    if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    if (QFileInfo(path).isDir())
        return {};
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString parent = slash >= 0 ? path.left(slash + 1) : QString();
    if (path.size() < 3 || parent == path)
        return makeFolder(path);
    if (FolderResult madeParent = EnsureFolderExists(parent); !madeParent)
        return madeParent;
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
{ }

FileOperation::~FileOperation()
{
    if (m_cancellable)
        gio::object_unref(m_cancellable);
}

void FileOperation::Cancel()
{
    m_cancelled = true;
    const std::lock_guard lock(m_cancelMutex);
    if (m_cancellable)
        gio::cancellable_cancel(static_cast<GCancellable *>(m_cancellable));
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
    if (gio::available()) {
        const std::lock_guard lock(m_cancelMutex);
        if (!m_cancellable) {
            m_cancellable = gio::cancellable_new();
            // A Cancel() that came first reaches GIO too.
            if (m_cancelled)
                gio::cancellable_cancel(static_cast<GCancellable *>(m_cancellable));
        }
    }
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
        case Outcome::InPlace:
            result.alreadyInPlace.append(transfer.target);
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
    const bool samePath = target.exists() && target.canonicalFilePath() == source.canonicalFilePath();
    // The file is already in the folder: a move has nothing to do (renaming
    // one hard link onto another of the same file would do nothing and
    // report success), a copy becomes a second file beside it.
    if (m_kind == FileOperationKind::Move && (samePath || sameFile(transfer.source, transfer.target)))
        return Outcome::InPlace;
    if (samePath) {
        transfer.target = folder + QLatin1Char('/') + UniqueName(folder, source.fileName());
    } else if (pathTaken(transfer.target)) {
        if (const std::optional<Outcome> ended = resolveConflict(transfer, observer))
            return *ended;
    }
    if (IsCancelled())
        return Outcome::Cancelled;

    if (!gio::available())
        return fail(transfer, observer, QStringLiteral("The file library GIO (libgio-2.0.so.0) could not be loaded."));
    if (m_kind == FileOperationKind::Move) {
        // Within one file system a move is a rename.
        if (const std::optional<Outcome> moved = place(transfer, transfer.source, false, observer))
            return *moved;
    }

    const Outcome copied = copyThenRename(transfer, observer);
    if (copied != Outcome::Done || m_kind == FileOperationKind::Copy)
        return copied;

    // The copy is complete under its final name; only now may the source go.
    const FilePtr from = fileFor(transfer.source);
    GError *raw = nullptr;
    if (!gio::file_delete(from.get(), nullptr, &raw)) {
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

    m_progress.currentFile = transfer.source;
    const qint64 doneBefore = m_progress.doneBytes;
    std::optional<Outcome> copied = copyInKernel(transfer, temporary, observer);
    if (!copied)
        copied = copyWithGio(transfer, temporary, observer);
    m_progress.doneBytes = doneBefore;
    if (*copied != Outcome::Done)
        return *copied;

    // Not cancellable: the file is complete, putting it in place is instant.
    // A copy always has a place to go, so this is never unset.
    return place(transfer, temporary, true, observer).value_or(Outcome::Failed);
}

std::optional<FileOperation::Outcome> FileOperation::resolveConflict(
    Transfer &transfer, FileOperationObserver &observer)
{
    const QFileInfo source(transfer.source);
    const QFileInfo target(transfer.target);
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
    case ConflictResolution::KeepBoth: {
        const QString folder = target.path();
        transfer.target = folder + QLatin1Char('/') + UniqueName(folder, source.fileName());
        transfer.replace = false;
        return std::nullopt;
    }
    case ConflictResolution::Replace:
        if (target.isDir() && !target.isSymLink())
            return fail(transfer, observer, QStringLiteral("A folder of the same name is in the way."));
        transfer.replace = true;
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<FileOperation::Outcome> FileOperation::place(
    Transfer &transfer, const QString &from, bool temporary, FileOperationObserver &observer)
{
    const QByteArray fromName = QFile::encodeName(from);
    const auto discard = [&] {
        if (temporary)
            ::unlink(fromName.constData());
    };
    for (;;) {
        if (m_beforePlacing)
            m_beforePlacing(transfer.target);
        const QString folder = QFileInfo(transfer.target).path();
        const PlaceResult placed = transfer.replace
            ? PlaceResult { PlaceStatus::Unsupported, 0 }
            : PlaceWithoutReplacing(fromName.constData(), QFile::encodeName(transfer.target).constData());
        switch (placed.status) {
        case PlaceStatus::Done:
            return Outcome::Done;
        case PlaceStatus::Exists:
            if (const std::optional<Outcome> ended = resolveConflict(transfer, observer)) {
                discard();
                return ended;
            }
            continue;
        case PlaceStatus::Failed:
            if (!temporary && placed.error == EXDEV)
                return std::nullopt;
            discard();
            return fail(
                transfer, observer, temporary ? writeFailure(placed.error, folder) : moveFailure(placed.error, folder));
        case PlaceStatus::Unsupported:
            break;
        }

        // Replacing, which the user asked for and a rename does in one step,
        // or a file system that can do nothing better than GIO's look before
        // its rename.
        const FilePtr source = fileFor(from);
        const FilePtr to = fileFor(transfer.target);
        const auto flags = GFileCopyFlags(G_FILE_COPY_NO_FALLBACK_FOR_MOVE | G_FILE_COPY_NOFOLLOW_SYMLINKS
            | (transfer.replace ? G_FILE_COPY_OVERWRITE : 0));
        GError *raw = nullptr;
        if (gio::file_move(source.get(), to.get(), flags, nullptr, nullptr, nullptr, &raw))
            return Outcome::Done;
        const ErrorPtr error(raw);
        // GIO reports "not supported" when the two are on different file systems.
        if (!temporary && g_error_matches(error.get(), gio::io_error_quark(), G_IO_ERROR_NOT_SUPPORTED))
            return std::nullopt;
        if (!transfer.replace && g_error_matches(error.get(), gio::io_error_quark(), G_IO_ERROR_EXISTS)) {
            if (const std::optional<Outcome> ended = resolveConflict(transfer, observer)) {
                discard();
                return ended;
            }
            continue;
        }
        discard();
        return fail(transfer, observer, gioFailure(error.get(), temporary ? from : QString(), transfer.target));
    }
}

std::optional<FileOperation::Outcome> FileOperation::copyInKernel(
    Transfer &transfer, const QString &temporary, FileOperationObserver &observer)
{
    const bool move = m_kind == FileOperationKind::Move;
    // A moved symbolic link stays a link: GIO copies the link itself. Not
    // blocking: opening a named pipe called "x.mp3" would wait for a writer
    // for good; it is let through to GIO, which turns special files down.
    platform::UniqueFd from(::open(
        QFile::encodeName(transfer.source).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | (move ? O_NOFOLLOW : 0)));
    if (!from) {
        if (move && errno == ELOOP)
            return std::nullopt;
        return fail(transfer, observer, readFailure(errno));
    }
    struct stat info
    {
    };
    if (::fstat(from.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;

    const QByteArray partialName = QFile::encodeName(temporary);
    const QString folder = QFileInfo(transfer.target).path();
    // Only the user may see the file until it is complete; its own
    // permissions follow with the other attributes.
    platform::UniqueFd to(::open(partialName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!to)
        return fail(transfer, observer, writeFailure(errno, folder));

    const qint64 doneBefore = m_progress.doneBytes;
    const KernelCopyResult copied = KernelCopyFile(from.get(), to.get(), [&](qint64 done) {
        report(observer, transfer.source, done);
        return !IsCancelled();
    });
    m_progress.doneBytes = doneBefore;
    const bool closed = to.close();
    if (copied.status != KernelCopyStatus::Done || !closed) {
        const int error = copied.status == KernelCopyStatus::Done ? errno : copied.error;
        ::unlink(partialName.constData());
        switch (copied.status) {
        case KernelCopyStatus::Unsupported:
            return std::nullopt;
        case KernelCopyStatus::Stopped:
            return Outcome::Cancelled;
        case KernelCopyStatus::Failed:
        case KernelCopyStatus::Done:
            return fail(transfer, observer, writeFailure(error, folder));
        }
    }

    // What GIO would carry over in the same copy: permissions for a copy,
    // everything it can (times, owner, extended attributes) for a move.
    // As with GIO, a file system that keeps no such attributes is no error.
    const FilePtr source = fileFor(transfer.source);
    const FilePtr partial = fileFor(temporary);
    const auto flags
        = GFileCopyFlags(move ? G_FILE_COPY_ALL_METADATA | G_FILE_COPY_NOFOLLOW_SYMLINKS : G_FILE_COPY_NONE);
    gio::file_copy_attributes(source.get(), partial.get(), flags, nullptr, nullptr);
    return Outcome::Done;
}

FileOperation::Outcome FileOperation::copyWithGio(
    Transfer &transfer, const QString &temporary, FileOperationObserver &observer)
{
    const FilePtr from = fileFor(transfer.source);
    const FilePtr partial = fileFor(temporary);
    // A moved file keeps everything it had; a copy gets the usual subset.
    const bool move = m_kind == FileOperationKind::Move;
    const auto copyFlags
        = GFileCopyFlags(move ? G_FILE_COPY_ALL_METADATA | G_FILE_COPY_NOFOLLOW_SYMLINKS : G_FILE_COPY_NONE);
    CopyProgress progress { &observer, &m_progress, m_progress.doneBytes };

    GError *raw = nullptr;
    const bool copied = gio::file_copy(from.get(), partial.get(), copyFlags, static_cast<GCancellable *>(m_cancellable),
        &copyProgress, &progress, &raw);
    if (!copied) {
        const ErrorPtr error(raw);
        gio::file_delete(partial.get(), nullptr, nullptr);
        if (isCancelledError(error.get()))
            return Outcome::Cancelled;
        return fail(transfer, observer, gioFailure(error.get(), temporary, transfer.target));
    }
    return Outcome::Done;
}
