#include "util/FileOperation.h"

#include "CopyMoveTestSupport.h"
#include "support/TempDir.h"
#include "util/KernelFileCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kLargeFile = 48 * 1024 * 1024;

// ---- making sure the folder exists ----

TEST(EnsureFolderExistsTest, CreatesMissingLevelsBelowAnExistingFolder)
{
    TempDir dir;
    const QString target = dir.filePath(QStringLiteral("one/two"));
    EXPECT_TRUE(EnsureFolderExists(target));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("one"))).isDir());
    EXPECT_TRUE(QFileInfo(target).isDir());
    // Existing: used as is.
    EXPECT_TRUE(EnsureFolderExists(target));
    EXPECT_TRUE(EnsureFolderExists(QStringLiteral("/")));
}

TEST(EnsureFolderExistsTest, OneTrailingDelimiterIsIgnored)
{
    TempDir dir;
    EXPECT_TRUE(EnsureFolderExists(dir.filePath(QStringLiteral("with slash/"))));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("with slash"))).isDir());
    EXPECT_TRUE(EnsureFolderExists(dir.filePath(QStringLiteral("a/b/c/"))));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("a/b/c"))).isDir());
}

TEST(EnsureFolderExistsTest, EmptyAndRelativeTextsWithoutAFolderPartAreNoFolder)
{
    TempDir dir;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    for (const char *text : { "", "Select a folder...", "abc", "music/new" }) {
        const auto made = EnsureFolderExists(QString::fromUtf8(text));
        ASSERT_FALSE(made) << "no error for " << text;
        EXPECT_EQ(made.error(), FolderFailure::NotAFolder) << text;
    }
    // A relative top level of one or two characters lands in the working folder.
    EXPECT_TRUE(EnsureFolderExists(QStringLiteral("ab")));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("ab"))).isDir());
    EXPECT_TRUE(EnsureFolderExists(QStringLiteral("ab/cd")));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("ab/cd"))).isDir());
    QDir::setCurrent(previous);
    EXPECT_EQ(entriesOf(dir.path()), QStringList { QStringLiteral("ab") });
}

TEST(EnsureFolderExistsTest, LevelThatCannotBeMadeFailsAndEarlierLevelsStay)
{
    TempDir dir;
    dir.write(QStringLiteral("made/file"), "x");
    // A file is in the way of the second level.
    const auto blocked = EnsureFolderExists(dir.filePath(QStringLiteral("made/file/deeper/deepest")));
    ASSERT_FALSE(blocked);
    EXPECT_EQ(blocked.error(), FolderFailure::LevelNotCreated);
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("made"))).isDir());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("made/file/deeper"))));

    // A place no one may create anything in.
    const auto refused = EnsureFolderExists(QStringLiteral("/proc/vantrel-test/folder"));
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), FolderFailure::LevelNotCreated);
}

// ---- the transfer ----

class FileOperationTest : public ::testing::Test
{
protected:
    QString source(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(QStringLiteral("src/") + name);
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }
    QString target(const QString &name = QString()) const
    {
        return name.isEmpty() ? dir.filePath(QStringLiteral("dst")) : dir.filePath(QStringLiteral("dst/") + name);
    }
    FileOperationResult run(FileOperationKind kind, const QStringList &sources, const QString &folder)
    {
        QDir().mkpath(folder);
        FileOperation operation(kind, sources, folder);
        return operation.Run(observer);
    }

    TempDir dir;
    ScriptedObserver observer;
};

TEST_F(FileOperationTest, CopyPutsEveryFileInTheFolderAndLeavesTheSources)
{
    const QByteArray a = patternBytes(300000, 1);
    const QStringList sources { source(QStringLiteral("a.flac"), a), source(QStringLiteral("empty.mp3"), {}),
        source(QStringLiteral("Ünï code.wav"), "w") };
    const FileOperationResult result = run(FileOperationKind::Copy, sources, target() + QLatin1Char('/'));
    EXPECT_EQ(result.transferred,
        (QStringList { target(QStringLiteral("a.flac")), target(QStringLiteral("empty.mp3")),
            target(QStringLiteral("Ünï code.wav")) }));
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(readFile(target(QStringLiteral("a.flac"))), a);
    EXPECT_TRUE(QFileInfo(target(QStringLiteral("empty.mp3"))).isFile());
    EXPECT_EQ(readFile(sources.at(0)), a);
    EXPECT_EQ(entriesOf(target()).size(), 3);
    EXPECT_EQ(observer.last.doneFiles, 3);
    EXPECT_EQ(observer.last.doneBytes, a.size() + 1);
    EXPECT_EQ(observer.last.totalBytes, a.size() + 1);
}

TEST_F(FileOperationTest, EmptySourceListTransfersNothing)
{
    const FileOperationResult result = run(FileOperationKind::Move, {}, target());
    EXPECT_TRUE(result.transferred.isEmpty());
    EXPECT_TRUE(entriesOf(target()).isEmpty());
}

TEST_F(FileOperationTest, MoveWithinOneFileSystemIsARename)
{
    const QByteArray bytes = patternBytes(5000, 2);
    const QString path = source(QStringLiteral("song.mp3"), bytes);
    const quint64 inode = inodeOf(path);
    const FileOperationResult result = run(FileOperationKind::Move, { path }, target());
    ASSERT_EQ(result.transferred.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(inodeOf(target(QStringLiteral("song.mp3"))), inode);
    EXPECT_EQ(readFile(target(QStringLiteral("song.mp3"))), bytes);
}

TEST_F(FileOperationTest, SymbolicLinkToAFileIsCopiedAsItsContent)
{
    const QString real = source(QStringLiteral("real.mp3"), "content");
    const QString link = dir.filePath(QStringLiteral("src/link.mp3"));
    ASSERT_TRUE(QFile::link(real, link));
    run(FileOperationKind::Copy, { link }, target());
    const QFileInfo copied(target(QStringLiteral("link.mp3")));
    EXPECT_FALSE(copied.isSymLink());
    EXPECT_EQ(readFile(copied.filePath()), QByteArray("content"));
}

struct ConflictCase
{
    const char *name;
    FileOperationKind kind;
    ConflictResolution answer;
    QByteArray expectedTarget; // content under the original name afterwards
    bool keptBoth;
    bool sourceStays;
};

class ConflictTest : public FileOperationTest, public ::testing::WithParamInterface<ConflictCase>
{
};

TEST_P(ConflictTest, ExistingFileChangesOnlyOnTheUsersWord)
{
    const ConflictCase &c = GetParam();
    const QString path = source(QStringLiteral("take.mp3"), "new");
    ASSERT_TRUE(writeFile(target(QStringLiteral("take.mp3")), "old"));
    observer.answers = { { c.answer, false } };
    const FileOperationResult result = run(c.kind, { path }, target());

    ASSERT_EQ(observer.conflicts.size(), 1u);
    EXPECT_EQ(observer.conflicts.front().target, target(QStringLiteral("take.mp3")));
    EXPECT_EQ(observer.conflicts.front().targetSize, 3);
    EXPECT_EQ(readFile(target(QStringLiteral("take.mp3"))), c.expectedTarget);
    EXPECT_EQ(QFileInfo::exists(target(QStringLiteral("take (2).mp3"))), c.keptBoth);
    if (c.keptBoth) {
        EXPECT_EQ(readFile(target(QStringLiteral("take (2).mp3"))), QByteArray("new"));
    }
    EXPECT_EQ(QFileInfo::exists(path), c.sourceStays);
    EXPECT_EQ(result.cancelled, c.answer == ConflictResolution::Cancel);
    // Never a temporary file left over.
    EXPECT_EQ(entriesOf(target()).size(), c.keptBoth ? 2 : 1);
}

const ConflictCase kConflictCases[] = {
    { "CopySkip", FileOperationKind::Copy, ConflictResolution::Skip, "old", false, true },
    { "CopyCancel", FileOperationKind::Copy, ConflictResolution::Cancel, "old", false, true },
    { "CopyReplace", FileOperationKind::Copy, ConflictResolution::Replace, "new", false, true },
    { "CopyKeepBoth", FileOperationKind::Copy, ConflictResolution::KeepBoth, "old", true, true },
    { "MoveSkip", FileOperationKind::Move, ConflictResolution::Skip, "old", false, true },
    { "MoveReplace", FileOperationKind::Move, ConflictResolution::Replace, "new", false, false },
    { "MoveKeepBoth", FileOperationKind::Move, ConflictResolution::KeepBoth, "old", true, false },
};

INSTANTIATE_TEST_SUITE_P(Answers, ConflictTest, ::testing::ValuesIn(kConflictCases),
    [](const auto &info) { return std::string(info.param.name); });

// A file another program puts at the target after the check, just before the
// final rename, is asked about then and changes only on the user's word.
class LateConflictTest : public FileOperationTest, public ::testing::WithParamInterface<ConflictCase>
{
};

TEST_P(LateConflictTest, FileThatAppearsBeforeTheRenameIsAskedAboutAgain)
{
    const ConflictCase &c = GetParam();
    const QString path = source(QStringLiteral("take.mp3"), "new");
    const QString late = target(QStringLiteral("take.mp3"));
    ASSERT_TRUE(QDir().mkpath(target()));
    FileOperation operation(c.kind, { path }, target());
    int placings = 0;
    operation.SetBeforePlacing([&](const QString &at) {
        if (placings++ == 0) {
            EXPECT_EQ(at, late);
            EXPECT_TRUE(writeFile(at, "old"));
        }
    });
    observer.answers = { { c.answer, false } };
    const FileOperationResult result = operation.Run(observer);

    // Nothing was there at the check: the one question is about the late file.
    ASSERT_EQ(observer.conflicts.size(), 1u);
    EXPECT_EQ(observer.conflicts.front().target, late);
    EXPECT_EQ(observer.conflicts.front().targetSize, 3);
    EXPECT_EQ(readFile(late), c.expectedTarget);
    EXPECT_EQ(QFileInfo::exists(target(QStringLiteral("take (2).mp3"))), c.keptBoth);
    if (c.keptBoth) {
        EXPECT_EQ(readFile(target(QStringLiteral("take (2).mp3"))), QByteArray("new"));
    }
    EXPECT_EQ(QFileInfo::exists(path), c.sourceStays);
    EXPECT_EQ(result.cancelled, c.answer == ConflictResolution::Cancel);
    EXPECT_EQ(result.transferred.size(), c.answer == ConflictResolution::Replace || c.keptBoth ? 1 : 0);
    EXPECT_EQ(entriesOf(target()).size(), c.keptBoth ? 2 : 1) << "a temporary file was left";
}

INSTANTIATE_TEST_SUITE_P(Answers, LateConflictTest, ::testing::ValuesIn(kConflictCases),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(FileOperationTest, NameChosenToKeepBothIsAskedAboutWhenItIsTakenMeanwhile)
{
    for (const FileOperationKind kind : { FileOperationKind::Copy, FileOperationKind::Move }) {
        TempDir round;
        const QString path = round.write(QStringLiteral("src/take.mp3"), "new");
        const QString folder = round.mkdir(QStringLiteral("dst"));
        round.write(QStringLiteral("dst/take.mp3"), "old");
        FileOperation operation(kind, { path }, folder);
        operation.SetBeforePlacing([&](const QString &at) {
            if (at.endsWith(QStringLiteral("take (2).mp3")) && !QFileInfo::exists(at)) {
                EXPECT_TRUE(writeFile(at, "late"));
            }
        });
        ScriptedObserver asked;
        asked.answers = { { ConflictResolution::KeepBoth, false }, { ConflictResolution::KeepBoth, false } };
        const FileOperationResult result = operation.Run(asked);

        ASSERT_EQ(asked.conflicts.size(), 2u);
        EXPECT_EQ(asked.conflicts.back().target, folder + QStringLiteral("/take (2).mp3"));
        EXPECT_EQ(result.transferred, QStringList { folder + QStringLiteral("/take (3).mp3") });
        EXPECT_EQ(readFile(folder + QStringLiteral("/take.mp3")), QByteArray("old"));
        EXPECT_EQ(readFile(folder + QStringLiteral("/take (2).mp3")), QByteArray("late"));
        EXPECT_EQ(readFile(folder + QStringLiteral("/take (3).mp3")), QByteArray("new"));
        EXPECT_EQ(entriesOf(folder).size(), 3);
    }
}

// Both ways of giving a name without replacing, on the test's own file system.
TEST(PlaceWithoutReplacingTest, TakesAFreeNameAndLeavesATakenOneAlone)
{
    const struct
    {
        PlaceMethod method;
        bool taken;
        PlaceStatus expected;
    } cases[] = {
        { PlaceMethod::Rename, false, PlaceStatus::Done },
        { PlaceMethod::Rename, true, PlaceStatus::Exists },
        { PlaceMethod::LinkThenUnlink, false, PlaceStatus::Done },
        { PlaceMethod::LinkThenUnlink, true, PlaceStatus::Exists },
    };
    for (const auto &c : cases) {
        TempDir dir;
        const QString from = dir.write(QStringLiteral("from"), "moving");
        const QString to = dir.filePath(QStringLiteral("to"));
        if (c.taken) {
            ASSERT_TRUE(writeFile(to, "staying"));
        }
        const PlaceResult placed
            = PlaceWithoutReplacing(QFile::encodeName(from).constData(), QFile::encodeName(to).constData(), c.method);
        const int method = int(c.method);
        EXPECT_EQ(placed.status, c.expected) << method << c.taken;
        EXPECT_EQ(readFile(to), c.taken ? QByteArray("staying") : QByteArray("moving")) << method << c.taken;
        EXPECT_EQ(QFileInfo::exists(from), c.taken) << method << c.taken;
    }
}

TEST_F(FileOperationTest, ApplyToAllAsksOnceAndCancelStopsTheRest)
{
    QStringList sources;
    for (const QString &name : { QStringLiteral("1.mp3"), QStringLiteral("2.mp3"), QStringLiteral("3.mp3") }) {
        sources.append(source(name, "new"));
        ASSERT_TRUE(writeFile(target(name), "old"));
    }
    observer.answers = { { ConflictResolution::Replace, true } };
    run(FileOperationKind::Copy, sources, target());
    EXPECT_EQ(observer.conflicts.size(), 1u);
    for (const QString &name : { QStringLiteral("1.mp3"), QStringLiteral("2.mp3"), QStringLiteral("3.mp3") })
        EXPECT_EQ(readFile(target(name)), QByteArray("new"));

    ScriptedObserver second;
    second.answers = { { ConflictResolution::Cancel, true } };
    ASSERT_TRUE(writeFile(target(QStringLiteral("1.mp3")), "kept"));
    FileOperation operation(FileOperationKind::Move, sources, target());
    const FileOperationResult result = operation.Run(second);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(second.conflicts.size(), 1u);
    EXPECT_EQ(readFile(target(QStringLiteral("1.mp3"))), QByteArray("kept"));
    for (const QString &path : sources)
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
}

TEST_F(FileOperationTest, CopyIntoItsOwnFolderMakesASecondFile)
{
    const QString path = source(QStringLiteral("same.mp3"), "same");
    const FileOperationResult result = run(FileOperationKind::Copy, { path }, dir.filePath(QStringLiteral("src")));
    EXPECT_TRUE(observer.conflicts.empty());
    EXPECT_EQ(result.transferred, QStringList { dir.filePath(QStringLiteral("src/same (2).mp3")) });
    EXPECT_EQ(readFile(path), QByteArray("same"));
    const FileOperationResult moved = run(FileOperationKind::Move, { path }, dir.filePath(QStringLiteral("src")));
    EXPECT_EQ(moved.alreadyInPlace, QStringList { path });
    EXPECT_TRUE(moved.transferred.isEmpty());
    EXPECT_EQ(readFile(path), QByteArray("same"));
}

TEST_F(FileOperationTest, MoveOntoAHardLinkOfItselfIsAlreadyInPlace)
{
    const QString path = source(QStringLiteral("linked.mp3"), "linked");
    QDir().mkpath(target());
    ASSERT_EQ(::link(QFile::encodeName(path).constData(),
                  QFile::encodeName(target(QStringLiteral("linked.mp3"))).constData()),
        0);
    const FileOperationResult moved = run(FileOperationKind::Move, { path }, target());
    EXPECT_EQ(moved.alreadyInPlace, QStringList { target(QStringLiteral("linked.mp3")) });
    EXPECT_TRUE(moved.transferred.isEmpty());
    EXPECT_EQ(moved.skipped + moved.failed, 0);
    EXPECT_TRUE(observer.conflicts.empty());
    EXPECT_TRUE(observer.errors.isEmpty());
    // Nothing was touched: both names still lead to the one file.
    EXPECT_EQ(inodeOf(path), inodeOf(target(QStringLiteral("linked.mp3"))));
    EXPECT_EQ(entriesOf(target()), QStringList { QStringLiteral("linked.mp3") });
}

TEST_F(FileOperationTest, MissingSourceIsReportedAndTheRestGoesOn)
{
    const QString gone = dir.filePath(QStringLiteral("src/gone.mp3"));
    const QString here = source(QStringLiteral("here.mp3"), "here");
    const FileOperationResult result = run(FileOperationKind::Copy, { gone, here }, target());
    ASSERT_EQ(observer.errors.size(), 1);
    EXPECT_TRUE(observer.errors.front().startsWith(gone));
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(result.transferred, QStringList { target(QStringLiteral("here.mp3")) });

    ScriptedObserver stop;
    stop.onError = ErrorResolution::Cancel;
    FileOperation operation(FileOperationKind::Copy, { gone, here }, dir.filePath(QStringLiteral("other")));
    QDir().mkpath(dir.filePath(QStringLiteral("other")));
    EXPECT_TRUE(operation.Run(stop).cancelled);
    EXPECT_TRUE(entriesOf(dir.filePath(QStringLiteral("other"))).isEmpty());
}

// A named pipe never delivers data, and opening one for reading waits for a
// writer: a copy that tried would hang with its progress window up. Should
// it wait, the test opens the pipe for writing, which frees it, and fails.
TEST_F(FileOperationTest, NamedPipeIsReportedAtOnceAndTheRestGoesOn)
{
    const QString pipe = dir.filePath(QStringLiteral("src/pipe.mp3"));
    const QString here = source(QStringLiteral("here.mp3"), "here");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    QDir().mkpath(target());
    FileOperation operation(FileOperationKind::Copy, { pipe, here }, target());
    std::future<FileOperationResult> running = std::async(std::launch::async, [&] { return operation.Run(observer); });
    if (running.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "the copy still waits on the pipe after 10 s";
        const int writer = ::open(QFile::encodeName(pipe).constData(), O_WRONLY);
        running.wait();
        ::close(writer);
        return;
    }
    const FileOperationResult result = running.get();
    ASSERT_EQ(observer.errors.size(), 1);
    EXPECT_TRUE(observer.errors.front().startsWith(pipe)) << observer.errors.front().toStdString();
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(result.transferred, QStringList { target(QStringLiteral("here.mp3")) });
    EXPECT_EQ(entriesOf(target()), QStringList { QStringLiteral("here.mp3") }) << "no partial file is left";
}

TEST_F(FileOperationTest, CancelMidwayLeavesNoPartialFileAndTheSourceIntact)
{
    const QByteArray bytes = patternBytes(kLargeFile, 3);
    const QString path = source(QStringLiteral("large.flac"), bytes);
    QDir().mkpath(target());
    FileOperation operation(FileOperationKind::Copy, { path, source(QStringLiteral("after.mp3"), "after") }, target());
    qint64 cancelledAt = -1;
    observer.onProgress = [&](const FileOperationProgress &progress) {
        if (cancelledAt < 0 && progress.doneBytes > 0) {
            cancelledAt = progress.doneBytes;
            operation.Cancel();
        }
    };
    const FileOperationResult result = operation.Run(observer);
    EXPECT_TRUE(result.cancelled);
    EXPECT_GT(cancelledAt, 0);
    EXPECT_LT(cancelledAt, kLargeFile) << "the copy finished before it could be cancelled";
    EXPECT_TRUE(result.transferred.isEmpty());
    EXPECT_TRUE(entriesOf(target()).isEmpty()) << entriesOf(target()).join(u',').toStdString();
    EXPECT_EQ(readFile(path), bytes);
}

// ---- the copy inside the kernel ----

TEST_F(FileOperationTest, CopyReportsProgressChunkByChunkAndKeepsThePermissions)
{
    const QByteArray bytes = patternBytes(kLargeFile, 7);
    const QString path = source(QStringLiteral("chunks.flac"), bytes);
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
    std::vector<qint64> seen;
    observer.onProgress = [&](const FileOperationProgress &progress) {
        if (progress.doneBytes > 0 && progress.doneBytes < kLargeFile)
            seen.push_back(progress.doneBytes);
    };
    const FileOperationResult result = run(FileOperationKind::Copy, { path }, target());
    ASSERT_EQ(result.transferred, QStringList { target(QStringLiteral("chunks.flac")) });
    EXPECT_EQ(readFile(target(QStringLiteral("chunks.flac"))), bytes);
    // A report after every chunk on the way, rising by at most a chunk.
    EXPECT_GE(qint64(seen.size()), kLargeFile / kKernelCopyChunk - 1);
    for (std::size_t i = 1; i < seen.size(); ++i) {
        EXPECT_GT(seen[i], seen[i - 1]);
        EXPECT_LE(seen[i] - seen[i - 1], kKernelCopyChunk);
    }
    EXPECT_EQ(QFileInfo(target(QStringLiteral("chunks.flac"))).permissions(),
        QFileDevice::ReadOwner | QFileDevice::ReadUser | QFileDevice::WriteOwner | QFileDevice::WriteUser
            | QFileDevice::ReadOther);
    EXPECT_EQ(observer.last.doneBytes, kLargeFile);
}

struct KernelCopyCase
{
    const char *name;
    qint64 size;
    int stopAfterChunks; // 0: never
    KernelCopyStatus expected;
    qint64 expectedCopied;
};

class KernelCopyTest : public ::testing::TestWithParam<KernelCopyCase>
{
};

TEST_P(KernelCopyTest, CopiesInChunksAndStopsWhenAsked)
{
    const KernelCopyCase &c = GetParam();
    constexpr qint64 chunk = 64 * 1024;
    TempDir dir;
    const QByteArray bytes = patternBytes(c.size, 8);
    const QString from = dir.write(QStringLiteral("from"), bytes);
    const QString to = dir.filePath(QStringLiteral("to"));
    QFile in(from);
    QFile out(to);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    int calls = 0;
    const KernelCopyResult result = KernelCopyFile(
        in.handle(), out.handle(),
        [&](qint64 done) {
            ++calls;
            EXPECT_EQ(done, std::min(calls * chunk, c.size));
            return c.stopAfterChunks == 0 || calls < c.stopAfterChunks;
        },
        chunk);
    out.close();
    EXPECT_EQ(result.status, c.expected);
    EXPECT_EQ(result.copied, c.expectedCopied);
    EXPECT_EQ(readFile(to), bytes.left(c.expectedCopied));
}

INSTANTIATE_TEST_SUITE_P(Cases, KernelCopyTest,
    ::testing::Values(KernelCopyCase { "Whole", 1000000, 0, KernelCopyStatus::Done, 1000000 },
        KernelCopyCase { "ExactChunks", 4 * 65536, 0, KernelCopyStatus::Done, 4 * 65536 },
        KernelCopyCase { "StoppedAfterTwoChunks", 1000000, 2, KernelCopyStatus::Stopped, 2 * 65536 },
        // Nothing to copy: left to the copy in user space.
        KernelCopyCase { "Empty", 0, 0, KernelCopyStatus::Unsupported, 0 }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(FileOperationTest, FileTheKernelCannotCopyIsCopiedThroughGio)
{
    // A virtual file reports no size and hands copy_file_range nothing; its
    // content arrives all the same.
    const QString path = QStringLiteral("/proc/version");
    const QByteArray expected = readFile(path);
    ASSERT_FALSE(expected.isEmpty());
    QFile in(path);
    QFile out(dir.filePath(QStringLiteral("probe")));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly));
    EXPECT_EQ(KernelCopyFile(in.handle(), out.handle(), {}).status, KernelCopyStatus::Unsupported);

    const FileOperationResult result = run(FileOperationKind::Copy, { path }, target());
    ASSERT_EQ(result.transferred, QStringList { target(QStringLiteral("version")) });
    EXPECT_EQ(readFile(target(QStringLiteral("version"))), expected);
    EXPECT_EQ(entriesOf(target()), QStringList { QStringLiteral("version") });
}

// ---- across file systems ----

class CrossFileSystemTest : public FileOperationTest
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "a second file system needs root to mount a tmpfs; not tested";
        mount = std::make_unique<TmpfsMount>(dir.filePath(QStringLiteral("tmpfs")));
        if (!mount->mounted())
            GTEST_SKIP() << "mounting a tmpfs was refused; not tested";
        other = mount->path() + QStringLiteral("/moved");
        QDir().mkpath(other);
    }

    std::unique_ptr<TmpfsMount> mount;
    QString other;
};

TEST_F(CrossFileSystemTest, MoveKeepsEveryByteAndRemovesTheSourceAfterwards)
{
    const QByteArray large = patternBytes(kLargeFile, 4);
    const QStringList sources { source(QStringLiteral("large.flac"), large), source(QStringLiteral("empty.wav"), {}),
        source(QStringLiteral("small.mp3"), "small") };
    QFile::setPermissions(sources.at(2), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QDateTime modified = QFileInfo(sources.at(0)).lastModified();
    const FileOperationResult result = run(FileOperationKind::Move, sources, other);
    EXPECT_EQ(result.transferred.size(), 3);
    EXPECT_EQ(readFile(other + QStringLiteral("/large.flac")), large);
    EXPECT_EQ(QFileInfo(other + QStringLiteral("/empty.wav")).size(), 0);
    EXPECT_EQ(readFile(other + QStringLiteral("/small.mp3")), QByteArray("small"));
    EXPECT_EQ(QFileInfo(other + QStringLiteral("/small.mp3")).permissions() & QFileDevice::ReadGroup, 0);
    EXPECT_EQ(QFileInfo(other + QStringLiteral("/large.flac")).lastModified().toSecsSinceEpoch(),
        modified.toSecsSinceEpoch());
    for (const QString &path : sources)
        EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(entriesOf(other).size(), 3);
}

TEST_F(CrossFileSystemTest, CancelledMoveKeepsTheSourceAndLeavesNothingBehind)
{
    const QByteArray large = patternBytes(kLargeFile, 5);
    const QString path = source(QStringLiteral("large.flac"), large);
    FileOperation operation(FileOperationKind::Move, { path }, other);
    qint64 cancelledAt = -1;
    observer.onProgress = [&](const FileOperationProgress &progress) {
        if (cancelledAt < 0 && progress.doneBytes > 0) {
            cancelledAt = progress.doneBytes;
            operation.Cancel();
        }
    };
    EXPECT_TRUE(operation.Run(observer).cancelled);
    EXPECT_LT(cancelledAt, kLargeFile);
    EXPECT_EQ(readFile(path), large);
    EXPECT_TRUE(entriesOf(other).isEmpty()) << entriesOf(other).join(u',').toStdString();
}

TEST_F(CrossFileSystemTest, CopyFallsBackToGioWithProgressAndCancel)
{
    const QByteArray large = patternBytes(kLargeFile, 9);
    const QString path = source(QStringLiteral("across.flac"), large);
    // The kernel refuses this pair of files; the copy is done all the same.
    {
        QFile in(path);
        QFile out(other + QStringLiteral("/probe"));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly));
        const KernelCopyResult refused = KernelCopyFile(in.handle(), out.handle(), {});
        EXPECT_EQ(refused.status, KernelCopyStatus::Unsupported);
        EXPECT_EQ(refused.error, EXDEV);
        out.remove();
    }
    qint64 reports = 0;
    observer.onProgress = [&](const FileOperationProgress &progress) {
        reports += progress.doneBytes > 0 && progress.doneBytes < kLargeFile;
    };
    const FileOperationResult result = run(FileOperationKind::Copy, { path }, other);
    ASSERT_EQ(result.transferred, QStringList { other + QStringLiteral("/across.flac") });
    EXPECT_EQ(readFile(other + QStringLiteral("/across.flac")), large);
    EXPECT_GT(reports, 1);

    FileOperation cancelled(FileOperationKind::Copy, { path }, other + QStringLiteral("/again"));
    QDir().mkpath(other + QStringLiteral("/again"));
    observer.onProgress = [&](const FileOperationProgress &progress) {
        if (progress.doneBytes > 0)
            cancelled.Cancel();
    };
    EXPECT_TRUE(cancelled.Run(observer).cancelled);
    EXPECT_TRUE(entriesOf(other + QStringLiteral("/again")).isEmpty());
}

struct FullDiskCase
{
    const char *name;
    bool sameFileSystem; // the copy inside the kernel, else GIO's
    FileOperationKind kind;
};

class FullDiskTest : public CrossFileSystemTest, public ::testing::WithParamInterface<FullDiskCase>
{
};

TEST_P(FullDiskTest, FullTargetFailsWithoutAPartialFileAndNamesTheFolder)
{
    TmpfsMount tiny(dir.filePath(QStringLiteral("tiny")));
    ::umount2(QFile::encodeName(tiny.path()).constData(), MNT_DETACH);
    ASSERT_EQ(::mount("tmpfs", QFile::encodeName(tiny.path()).constData(), "tmpfs", 0, "size=6m"), 0);
    // 4 of the 6 MB are taken, by the source itself when it lives there.
    const QString ballast = tiny.path() + QStringLiteral("/src/big.flac");
    ASSERT_TRUE(writeFile(ballast, patternBytes(4 * 1024 * 1024, 6)));
    const QString path
        = GetParam().sameFileSystem ? ballast : source(QStringLiteral("big.flac"), patternBytes(4 * 1024 * 1024, 6));
    const QString folder = tiny.path() + QStringLiteral("/full");
    QDir().mkpath(folder);
    const FileOperationResult result = run(GetParam().kind, { path }, folder);
    EXPECT_EQ(result.failed, 1);
    ASSERT_EQ(observer.errors.size(), 1);
    EXPECT_TRUE(
        observer.errors.front().contains(QStringLiteral("not enough free space in the folder \"") + folder + u'"'))
        << observer.errors.front().toStdString();
    EXPECT_FALSE(observer.errors.front().contains(QStringLiteral(".part-"))) << observer.errors.front().toStdString();
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_TRUE(entriesOf(folder).isEmpty()) << entriesOf(folder).join(u',').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, FullDiskTest,
    ::testing::Values(FullDiskCase { "CopyInKernel", true, FileOperationKind::Copy },
        FullDiskCase { "CopyThroughGio", false, FileOperationKind::Copy },
        FullDiskCase { "MoveThroughGio", false, FileOperationKind::Move }),
    [](const auto &info) { return std::string(info.param.name); });

// ---- permissions, as an unprivileged user ----

TEST(FileOperationPermissionTest, UnwritableFolderIsReportedAndNothingIsLeft)
{
    if (!runningAsNobody()) {
        const NobodyRun run
            = runAsNobody(QStringLiteral("FileOperationPermissionTest.UnwritableFolderIsReportedAndNothingIsLeft"));
        if (!run.ran)
            GTEST_SKIP() << run.skipReason.toStdString();
        EXPECT_TRUE(run.passed()) << run.output.toStdString();
        return;
    }
    ASSERT_NE(::geteuid(), 0u);
    TempDir dir;
    const QString path = dir.write(QStringLiteral("src/song.mp3"), "song");
    const QString locked = dir.mkdir(QStringLiteral("locked"));
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    ScriptedObserver observer;
    FileOperation move(FileOperationKind::Move, { path }, locked);
    EXPECT_EQ(move.Run(observer).failed, 1);
    FileOperation copy(FileOperationKind::Copy, { path }, locked);
    EXPECT_EQ(copy.Run(observer).failed, 1);
    EXPECT_EQ(observer.errors.size(), 2);
    EXPECT_EQ(readFile(path), QByteArray("song"));
    EXPECT_TRUE(entriesOf(locked).isEmpty());
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace
