#pragma once

#include "platform/Result.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>

// Copying and moving files into a folder, on GIO. No widgets: questions and
// progress go through an observer, so the engine runs on a worker thread and
// in tests without a display.
//
// Guarantees: a file appears under its final name only once it is complete
// (it is written under a hidden temporary name first and renamed), so a
// cancel or an error never leaves a partial file behind; an existing file is
// replaced only when the observer says so; a move across file systems deletes
// the source only after its copy is complete; a move within one file system is
// a rename. A copy runs inside the kernel where it can (as fast as `cp`) and
// through GIO where it cannot (across file systems and the like). Messages
// name the user's files and folders, never the temporary name.

enum class FolderFailure {
    // An empty text, or a relative text whose missing top level is three or
    // more characters long: no folder could be meant.
    NotAFolder,
    // A level could not be created (levels made before it stay).
    LevelNotCreated,
};

// Makes sure a folder exists, creating missing levels from the top down: one
// trailing "/" is ignored, a level is created only when its parent exists or
// could be made.
platform::Result<platform::Done, FolderFailure> EnsureFolderExists(const QString &folder);

enum class FileOperationKind { Copy, Move };

enum class ConflictResolution { Replace, Skip, KeepBoth, Cancel };

struct ConflictDecision
{
    ConflictResolution resolution = ConflictResolution::Cancel;
    // The same answer for every later conflict of this operation.
    bool applyToAll = false;
};

struct FileConflict
{
    QString source;
    QString target;
    qint64 sourceSize = 0;
    qint64 targetSize = 0;
    QDateTime sourceModified;
    QDateTime targetModified;
};

enum class ErrorResolution { Skip, Cancel };

struct FileOperationProgress
{
    qint64 doneBytes = 0;
    qint64 totalBytes = 0;
    int doneFiles = 0;
    int totalFiles = 0;
    QString currentFile;
};

// Called on the thread that runs the operation.
class FileOperationObserver
{
public:
    virtual ~FileOperationObserver() = default;
    virtual ConflictDecision resolveConflict(const FileConflict &conflict) = 0;
    // A file could not be transferred: go on with the next one or stop.
    virtual ErrorResolution resolveError(const QString &source, const QString &message) = 0;
    virtual void progress(const FileOperationProgress &progress) { (void)progress; }
};

struct FileOperationResult
{
    QStringList transferred; // final target paths, in source order
    // Moves with nothing to do: the file is already in the folder under its
    // name (the same path, or a hard link of the same file).
    QStringList alreadyInPlace;
    int skipped = 0;
    int failed = 0;
    bool cancelled = false;
};

class FileOperation
{
public:
    FileOperation(FileOperationKind kind, QStringList sources, QString targetFolder);
    ~FileOperation();
    FileOperation(const FileOperation &) = delete;
    FileOperation &operator=(const FileOperation &) = delete;

    // Transfers every source into the target folder, which must exist.
    // Blocks until done; meant for a worker thread.
    FileOperationResult Run(FileOperationObserver &observer);

    // Stops the operation as soon as possible; the file in transfer is
    // discarded. Safe from any thread.
    void Cancel();
    bool IsCancelled() const;

    FileOperationKind kind() const { return m_kind; }
    const QStringList &sources() const { return m_sources; }
    const QString &targetFolder() const { return m_targetFolder; }

    // "name (2).ext", "name (3).ext", ... : the first name not taken in folder.
    static QString UniqueName(const QString &folder, const QString &fileName);

    // Called on the operation's thread just before a file is given its final
    // name (a move's rename, a copy's rename of its temporary): the moment
    // another program may have put a file there since the conflict check.
    // Tests put one there to see that it survives.
    void SetBeforePlacing(std::function<void(const QString &target)> hook) { m_beforePlacing = std::move(hook); }

private:
    struct Transfer;
    enum class Outcome { Done, InPlace, Skipped, Failed, Cancelled };

    Outcome transferOne(Transfer &transfer, FileOperationObserver &observer);
    // Asks about the file at transfer.target (or takes the answer for all):
    // unset when the transfer goes on, to a new name or replacing; else how
    // it ends.
    std::optional<Outcome> resolveConflict(Transfer &transfer, FileOperationObserver &observer);
    // Gives `from` the transfer's target name, replacing only what the user
    // said to replace; a file found there at this last step is asked about
    // again. Unset when `from` is the source of a move to another file
    // system, which the caller copies instead.
    std::optional<Outcome> place(
        Transfer &transfer, const QString &from, bool temporary, FileOperationObserver &observer);
    Outcome copyThenRename(Transfer &transfer, FileOperationObserver &observer);
    // Unset when the kernel cannot copy this file: the caller uses GIO.
    std::optional<Outcome> copyInKernel(Transfer &transfer, const QString &temporary, FileOperationObserver &observer);
    Outcome copyWithGio(Transfer &transfer, const QString &temporary, FileOperationObserver &observer);
    Outcome fail(Transfer &transfer, FileOperationObserver &observer, const QString &message);
    void report(FileOperationObserver &observer, const QString &current, qint64 doneInFile);

    FileOperationKind m_kind;
    QStringList m_sources;
    QString m_targetFolder;
    // GCancellable, made by Run() on its thread (which binds GIO, never the
    // GUI thread); guarded by m_cancelMutex, as Cancel() comes from anywhere.
    void *m_cancellable = nullptr;
    std::mutex m_cancelMutex;
    std::atomic<bool> m_cancelled { false };

    FileOperationProgress m_progress;
    bool m_haveDecisionForAll = false;
    ConflictDecision m_decisionForAll;
    std::function<void(const QString &)> m_beforePlacing;
};
