#include "IndexSearch.h"
#include "support/AsNobody.h"

#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <sqlite3.h>

using namespace libraryindex;

namespace {

void writeLibrary(const TempDir &tree)
{
    for (const char *path : { "kick 1.wav", "loops/kick 2.flac", "loops/snare.wav", "readme.txt" })
        tree.write(QString::fromUtf8(path), "x");
}

const QStringList kKicks { QStringLiteral("kick 1.wav"), QStringLiteral("loops/kick 2.flac") };

QByteArray randomBytes(qsizetype size)
{
    QRandomGenerator generator(23);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

bool startsAsSqlite(const QString &path)
{
    return TempDir::readAll(path).startsWith("SQLite format 3");
}

} // namespace

// Random bytes in place of the index, or over its pages: searching still
// finds everything, and the index is rebuilt and answers again.
TEST(IndexFailures, DamagedIndexIsRebuiltWhileSearchesGoOn)
{
    const struct
    {
        const char *what;
        qint64 offset; // where the random bytes go; the index is made first when not 0
    } cases[] = { { "file of random bytes", 0 }, { "pages overwritten", 1024 } };
    for (const auto &c : cases) {
        IndexFixture fixture;
        fixture.expectWriteFailures = true;
        writeLibrary(fixture.tree);
        if (c.offset > 0) {
            fixture.searchWarm(QStringLiteral("kick"));
            fixture.restart(); // no connection open while the file is damaged
        } else {
            fixture.cache.mkdir(QStringLiteral("vantrel"));
        }
        {
            QFile file(fixture.databasePath());
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            file.seek(c.offset);
            file.write(randomBytes(64 * 1024));
        }
        fixture.restart();
        const SearchOutcome damaged = fixture.search(QStringLiteral("kick"));
        EXPECT_TRUE(damaged.finished) << c.what;
        EXPECT_EQ(damaged.paths(), kKicks) << c.what;
        // The search that met the damage replaced the file; within the
        // next searches the index answers again.
        bool answered = false;
        for (int attempt = 0; attempt < 3 && !answered; ++attempt) {
            const SearchOutcome again = fixture.searchWarm(QStringLiteral("kick"));
            EXPECT_EQ(again.paths(), kKicks) << c.what;
            answered = again.answeredFromIndex;
        }
        EXPECT_TRUE(answered) << c.what;
        EXPECT_TRUE(startsAsSqlite(fixture.databasePath())) << c.what;
    }
}

// Another program holds the index locked: the search answers from the
// folders and says so, and the index is left as it is for later.
TEST(IndexFailures, LockedIndexIsSearchedAroundAndKept)
{
    IndexFixture fixture;
    writeLibrary(fixture.tree);
    fixture.searchWarm(QStringLiteral("kick"));
    fixture.restart();
    fixture.expectWriteFailures = true;

    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(fixture.databasePath()).constData(), &other), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(other, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr), SQLITE_OK);
    const SearchOutcome locked = fixture.search(QStringLiteral("kick"));
    EXPECT_EQ(locked.paths(), kKicks);
    EXPECT_FALSE(locked.answeredFromIndex);
    EXPECT_TRUE(locked.note.contains(QStringLiteral("in use"))) << locked.note.toStdString();
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    const SearchOutcome released = fixture.search(QStringLiteral("kick"));
    EXPECT_EQ(released.paths(), kKicks);
    EXPECT_TRUE(released.answeredFromIndex) << "the index was thrown away";
    EXPECT_TRUE(released.note.isEmpty()) << released.note.toStdString();
}

// A cache folder the user cannot write (root ignores permissions, so the
// search runs again as nobody): with no index there, and with one that can
// be read but not written.
TEST(IndexFailures, ReadOnlyCacheFolderStillFinds)
{
    for (const bool withIndex : { false, true }) {
        TempDir cache;
        const QString folder = cache.mkdir(QStringLiteral("vantrel"));
        const QString path = cache.filePath(QStringLiteral("vantrel/library.sqlite"));
        if (withIndex) {
            IndexFixture maker(path);
            writeLibrary(maker.tree);
            maker.searchWarm(QStringLiteral("kick"));
        }
        const auto open = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
            | QFile::ExeOther;
        QFile::setPermissions(cache.path(), open);
        QFile::setPermissions(folder, open);
        for (const char *suffix : { "", "-wal", "-shm" })
            QFile::setPermissions(path + QString::fromUtf8(suffix), QFile::ReadOwner | QFile::ReadOther);
        const NobodyRun run = runAsNobody(
            QStringLiteral("IndexFailuresHelper.SearchAsUser"), { QStringLiteral("VANTREL_INDEX_UNDER_TEST=") + path });
        if (!run.ran)
            GTEST_SKIP() << run.skipReason.toStdString();
        EXPECT_TRUE(run.passed()) << (withIndex ? "with an index: " : "empty: ") << run.output.toStdString();
    }
}

// Runs only inside the child above.
TEST(IndexFailuresHelper, SearchAsUser)
{
    const QString path = qEnvironmentVariable("VANTREL_INDEX_UNDER_TEST");
    if (path.isEmpty())
        GTEST_SKIP() << "helper for ReadOnlyCacheFolderStillFinds";
    IndexFixture fixture(path);
    fixture.expectWriteFailures = true;
    writeLibrary(fixture.tree);
    const SearchOutcome outcome = fixture.search(QStringLiteral("kick"));
    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.paths(), kKicks);
    EXPECT_FALSE(outcome.note.isEmpty());
}
