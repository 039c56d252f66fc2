#include "IndexSearch.h"
#include "details/QtPrinting.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/time.h>

using namespace libraryindex;

namespace {

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// A small library: names with spaces, quotes, a decomposed "ü", a folder
// with an accent, files that the audio filter leaves out.
void writeLibrary(const TempDir &tree)
{
    for (const char *path : { "Kick 01.wav", "drums/BigKick.flac", "drums/snare.WAV", "drums/808Kick_hard.mp3",
             "Fïeld/rain \"soft\".wav", "Fïeld/it's wind.flac", "notes.txt", "kick.txt", "drums/kick.mid" })
        tree.write(QString::fromUtf8(path), QByteArray("x"));
    tree.write(QStringLiteral("Mu\u0308ller/chor.wav"), QByteArray("x"));
}

void setModified(const QString &path, qint64 seconds)
{
    const struct timeval times[2] = { { seconds, 0 }, { seconds, 0 } };
    ASSERT_EQ(::utimes(QFile::encodeName(path).constData(), times), 0);
}

struct QueryCase
{
    const char16_t *query;
    QStringList expected;
};

QStringList list(std::initializer_list<const char16_t *> paths)
{
    QStringList result;
    for (const char16_t *path : paths)
        result.append(QString::fromUtf16(path));
    return sorted(result);
}

} // namespace

// The same query answers the same from a walk of the folders (first search)
// and from the index (second), by name, folder and odd names alike.
TEST(LibraryIndex, IndexAndWalkFindTheSameFiles)
{
    IndexFixture fixture;
    writeLibrary(fixture.tree);
    const QueryCase cases[] = {
        { u"kick", list({ u"Kick 01.wav", u"drums/BigKick.flac", u"drums/808Kick_hard.mp3" }) },
        { u"KI", list({ u"Kick 01.wav", u"drums/BigKick.flac", u"drums/808Kick_hard.mp3" }) },
        { u"drums", list({ u"drums/BigKick.flac", u"drums/snare.WAV", u"drums/808Kick_hard.mp3" }) },
        { u"wav", list({ u"Kick 01.wav", u"drums/snare.WAV", u"Fïeld/rain \"soft\".wav", u"Mu\u0308ller/chor.wav" }) },
        { u"flac drums", list({ u"drums/BigKick.flac" }) },
        { u"field soft", list({ u"Fïeld/rain \"soft\".wav" }) },
        { u"\"rain soft\"", list({ u"Fïeld/rain \"soft\".wav" }) },
        { u"it's", list({ u"Fïeld/it's wind.flac" }) },
        { u"müller", list({ u"Mu\u0308ller/chor.wav" }) },
        { u"MULLER chor", list({ u"Mu\u0308ller/chor.wav" }) },
        { u"808k", list({ u"drums/808Kick_hard.mp3" }) },
        { u"bigkick", list({ u"drums/BigKick.flac" }) },
        { u"ick", {} },
        { u"notes", {} },
        { u"",
            list({ u"Kick 01.wav", u"drums/BigKick.flac", u"drums/snare.WAV", u"drums/808Kick_hard.mp3",
                u"Fïeld/rain \"soft\".wav", u"Fïeld/it's wind.flac", u"Mu\u0308ller/chor.wav" }) },
    };
    for (const QueryCase &c : cases) {
        const QString query = QString::fromUtf16(c.query);
        const SearchOutcome walked = fixture.search(query);
        EXPECT_TRUE(walked.finished);
        EXPECT_EQ(sorted(walked.paths()), c.expected) << "walk: " << query.toStdString();
        const SearchOutcome warm = fixture.searchWarm(query);
        EXPECT_EQ(sorted(warm.paths()), c.expected) << "index: " << query.toStdString();
        EXPECT_EQ(warm.answeredFromIndex, !c.expected.isEmpty()) << query.toStdString();
        EXPECT_TRUE(warm.note.isEmpty()) << warm.note.toStdString();
    }
    // The path below another root: the root's own folder names are not words.
    const SearchOutcome below = fixture.search(QStringLiteral("drums"), fixture.tree.filePath(QStringLiteral("drums")));
    EXPECT_TRUE(below.files.empty()) << below.paths().join(u',').toStdString();
}

// What changed outside the program since the index was written shows at
// the next search: each case changes a warm tree, then searches.
TEST(LibraryIndex, NextSearchShowsChangesMadeOutside)
{
    const struct
    {
        const char *what;
        std::function<void(const TempDir &)> change;
        const char16_t *query;
        QStringList expected;
    } cases[] = {
        { "file added", [](const TempDir &t) { t.write(QStringLiteral("drums/kick new.wav"), "x"); }, u"kick",
            list({ u"Kick 01.wav", u"drums/BigKick.flac", u"drums/808Kick_hard.mp3", u"drums/kick new.wav" }) },
        { "file renamed",
            [](const TempDir &t) {
                QFile::rename(
                    t.filePath(QStringLiteral("drums/BigKick.flac")), t.filePath(QStringLiteral("drums/Tom.flac")));
            },
            u"flac", list({ u"drums/Tom.flac", u"Fïeld/it's wind.flac" }) },
        { "file deleted", [](const TempDir &t) { QFile::remove(t.filePath(QStringLiteral("Kick 01.wav"))); }, u"kick",
            list({ u"drums/BigKick.flac", u"drums/808Kick_hard.mp3" }) },
        { "folder moved",
            [](const TempDir &t) {
                t.mkdir(QStringLiteral("old"));
                QDir().rename(t.filePath(QStringLiteral("drums")), t.filePath(QStringLiteral("old/perc")));
            },
            u"kick", list({ u"Kick 01.wav", u"old/perc/BigKick.flac", u"old/perc/808Kick_hard.mp3" }) },
        { "folder deleted", [](const TempDir &t) { QDir(t.filePath(QStringLiteral("drums"))).removeRecursively(); },
            u"kick", list({ u"Kick 01.wav" }) },
        { "folder made a link", // never walked into, so never indexed twice
            [](const TempDir &t) {
                QFile::link(t.filePath(QStringLiteral("drums")), t.filePath(QStringLiteral("loop")));
                QFile::link(t.path(), t.filePath(QStringLiteral("drums/up")));
            },
            u"bigkick", list({ u"drums/BigKick.flac" }) },
    };
    for (const auto &c : cases) {
        IndexFixture fixture;
        writeLibrary(fixture.tree);
        fixture.searchWarm(QString::fromUtf16(c.query));
        c.change(fixture.tree);
        const SearchOutcome after = fixture.search(QString::fromUtf16(c.query));
        EXPECT_TRUE(after.finished) << c.what;
        EXPECT_EQ(sorted(after.paths()), c.expected) << c.what;
        // And the index now agrees, in a search that starts from it.
        fixture.restart();
        EXPECT_EQ(sorted(fixture.searchWarm(QString::fromUtf16(c.query)).paths()), c.expected) << c.what;
    }
}

// A file rewritten in place leaves its folder's listing unchanged; its size
// and time still come out as they are now.
TEST(LibraryIndex, FileRewrittenInPlaceShowsItsNewSizeAndTime)
{
    IndexFixture fixture;
    writeLibrary(fixture.tree);
    const QString path = fixture.tree.filePath(QStringLiteral("Kick 01.wav"));
    setModified(path, 1000000000);
    const SearchOutcome before = fixture.searchWarm(QStringLiteral("kick"));
    ASSERT_EQ(before.files.at(QStringLiteral("Kick 01.wav")).size, 1);

    struct stat folderBefore
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(fixture.root()).constData(), &folderBefore), 0);
    fixture.tree.write(QStringLiteral("Kick 01.wav"), QByteArray(4096, 'y'));
    setModified(path, 1700000000);
    struct stat folderAfter
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(fixture.root()).constData(), &folderAfter), 0);
    ASSERT_EQ(folderBefore.st_mtim.tv_nsec, folderAfter.st_mtim.tv_nsec) << "the folder's listing changed";

    const SearchOutcome after = fixture.search(QStringLiteral("kick"));
    ASSERT_EQ(after.files.count(QStringLiteral("Kick 01.wav")), 1u);
    const FoundFile &file = after.files.at(QStringLiteral("Kick 01.wav"));
    EXPECT_EQ(file.size, 4096);
    EXPECT_EQ(file.modified, qint64(1700000000) * 1000);
    EXPECT_TRUE(after.answeredFromIndex);
}

// Properties come from elsewhere (the browser's header probe); a search
// with a property filter uses them, counts the files not read yet, and
// forgets them when the file changes.
TEST(LibraryIndex, PropertyFiltersUseRecordedPropertiesAndCountUnknownFiles)
{
    IndexFixture fixture;
    writeLibrary(fixture.tree);
    fixture.searchWarm(QString());
    const auto record = [&](const char *relative, int durationMs, int rate, int channels, const char *title) {
        const QFileInfo info(fixture.tree.filePath(QString::fromUtf8(relative)));
        FileProperties properties;
        properties.durationMs = durationMs;
        properties.sampleRate = rate;
        properties.channels = std::int16_t(channels);
        properties.bitDepth = 24;
        properties.title = QString::fromUtf8(title);
        fixture.index().recordProperties(
            info.filePath(), info.size(), info.lastModified().toMSecsSinceEpoch(), properties);
    };
    record("Kick 01.wav", 900, 48000, 1, "Punchy one");
    record("drums/BigKick.flac", 2500, 48000, 2, "Boom");
    record("drums/snare.WAV", 1200, 44100, 1, "Crack");

    const struct
    {
        const char16_t *query;
        QStringList expected;
        int unknown;
    } cases[] = {
        { u"dur:<2s", list({ u"Kick 01.wav", u"drums/snare.WAV" }), 4 },
        { u"dur:<2s rate:48k ch:mono", list({ u"Kick 01.wav" }), 4 },
        { u"rate:48k flac", list({ u"drums/BigKick.flac" }), 1 },
        { u"bits:24 dur:1s-3s", list({ u"drums/BigKick.flac", u"drums/snare.WAV" }), 4 },
        { u"punchy", list({ u"Kick 01.wav" }), 0 },
        { u"boom drums", list({ u"drums/BigKick.flac" }), 0 },
    };
    for (const auto &c : cases) {
        const SearchOutcome outcome = fixture.searchWarm(QString::fromUtf16(c.query));
        EXPECT_EQ(sorted(outcome.paths()), c.expected) << QString::fromUtf16(c.query).toStdString();
        EXPECT_EQ(outcome.unknownProperties, c.unknown) << QString::fromUtf16(c.query).toStdString();
    }
    const SearchOutcome known = fixture.search(QStringLiteral("punchy"));
    ASSERT_EQ(known.files.count(QStringLiteral("Kick 01.wav")), 1u);
    EXPECT_TRUE(known.files.at(QStringLiteral("Kick 01.wav")).propertiesKnown);
    EXPECT_EQ(known.files.at(QStringLiteral("Kick 01.wav")).properties.durationMs, 900);

    // Rewritten: what was read of the old file no longer holds.
    fixture.tree.write(QStringLiteral("Kick 01.wav"), QByteArray(100, 'z'));
    EXPECT_TRUE(fixture.search(QStringLiteral("punchy")).files.empty());
    EXPECT_EQ(fixture.search(QStringLiteral("dur:<2s")).paths(), list({ u"drums/snare.WAV" }));
}

// A newer search wins: no batch of the one before reaches the caller.
TEST(LibraryIndex, NewerSearchReplacesTheRunningOne)
{
    IndexFixture fixture;
    for (int folder = 0; folder < 20; ++folder) {
        for (int file = 0; file < 20; ++file)
            fixture.tree.write(QStringLiteral("f%1/kick %2.wav").arg(folder).arg(file), "x");
    }
    fixture.tree.write(QStringLiteral("f3/snare.wav"), "x");
    QSignalSpy found(&fixture.index(), &LibraryIndex::found);
    ASSERT_TRUE(fixture.index().search(fixture.root(), QStringLiteral("kick")).ok());
    // search() checks that every batch it sees is its own.
    const SearchOutcome outcome = fixture.search(QStringLiteral("snare"));
    EXPECT_EQ(outcome.paths(), list({ u"f3/snare.wav" }));
}

TEST(LibraryIndex, InvalidQueryIsRefusedWithASentence)
{
    IndexFixture fixture;
    const auto started = fixture.index().search(fixture.root(), QStringLiteral("kick dur:soon"));
    ASSERT_FALSE(started.ok());
    EXPECT_TRUE(started.error().contains(QStringLiteral("dur:soon"))) << started.error().toStdString();
}

TEST(LibraryIndex, MissingRootEndsWithANote)
{
    IndexFixture fixture;
    const SearchOutcome outcome = fixture.search(QString(), fixture.tree.filePath(QStringLiteral("nowhere")));
    EXPECT_TRUE(outcome.finished);
    EXPECT_TRUE(outcome.files.empty());
    EXPECT_TRUE(outcome.note.contains(QStringLiteral("nowhere"))) << outcome.note.toStdString();
}

// A search that starts while the writer still saves what the last one found
// sees part of the tree in the index. It answers with exactly the files
// below the root all the same: what the writer adds meanwhile is not taken
// for files already answered.
TEST(LibraryIndex, ASearchWhileTheIndexIsBeingWrittenStillFindsEveryFile)
{
    IndexFixture fixture;
    constexpr int kFolders = 300;
    const qint64 hourAgo = QDateTime::currentSecsSinceEpoch() - 3600;
    QStringList expected;
    for (int f = 0; f < kFolders; ++f) {
        const QString folder = QStringLiteral("pack %1/take %2").arg(f / 10).arg(f % 10);
        expected.append(folder + QStringLiteral("/kick %1.wav").arg(f));
        fixture.tree.write(expected.back(), QByteArray("x"));
        fixture.tree.write(folder + QStringLiteral("/snare %1.wav").arg(f), QByteArray("x"));
        // Settled folders, as a library's are: the index trusts only those.
        setModified(fixture.tree.filePath(folder), hourAgo);
    }
    for (int p = 0; p < kFolders / 10; ++p)
        setModified(fixture.tree.filePath(QStringLiteral("pack %1").arg(p)), hourAgo);
    setModified(fixture.root(), hourAgo);
    expected = sorted(expected);
    // Each search begins as soon as the one before has answered, while its
    // folders are still being written.
    for (int round = 0; round < 3; ++round) {
        const SearchOutcome outcome = fixture.search(QStringLiteral("kick"));
        ASSERT_TRUE(outcome.finished) << round;
        EXPECT_EQ(sorted(outcome.paths()), expected) << "round " << round << ": " << outcome.files.size() << " found";
    }
}
