// The details reader: reads on its own thread through the real library, the
// newest request wins, and a file the library takes long on never holds the
// caller beyond the budget it gives.
#include "details/DetailsReader.h"

#include "DetailsFixtures.h"
#include "QtPrinting.h"
#include "details/MediaInfoLibraryFunctions.h"
#include "support/TempDir.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

TDetailsLines readHere(const QString &file)
{
    InitializeMediaInfoLibraryFunctions();
    TDetailsLines lines;
    ReadFileDetails(file, lines);
    return lines;
}

TEST(DetailsReader, AnOrdinaryFileIsReadWithinTheWaitAndMatchesAReadInPlace)
{
    DetailsReader reader;
    QSignalSpy read(&reader, &DetailsReader::linesRead);
    for (const QString &file : { mp3WithCover(), flacWithCover(), debianSound() }) {
        const std::uint64_t generation = reader.request(file);
        // A generous wait: a loaded machine under the sanitizers is slow.
        const std::optional<TDetailsLines> lines = reader.waitFor(generation, 20s);
        ASSERT_TRUE(lines.has_value()) << file.toStdString();
        EXPECT_EQ(*lines, readHere(file)) << file.toStdString();
        EXPECT_FALSE(lines->isEmpty());
        // The signal follows for receivers that did not wait.
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !read.isEmpty() && read.last().at(0).toULongLong() == generation; }, 20000));
        EXPECT_EQ(read.last().at(1).toStringList(), *lines);
    }
}

// Two gigabytes of zeros named like an MP3 keep the library busy for a good
// while; a focus that moves on meanwhile gets its own file's details, and
// nothing of the slow file arrives after them.
TEST(DetailsReader, TheNewestRequestWinsOverASlowRead)
{
    const TempDir dir;
    const QString zeros = dir.filePath(QStringLiteral("zeros.mp3"));
    {
        QFile file(zeros);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(qint64(2) << 30));
    }
    DetailsReader reader;
    QSignalSpy read(&reader, &DetailsReader::linesRead);
    const std::uint64_t slow = reader.request(zeros);
    // The caller's budget bounds its wait whatever the file.
    (void)reader.waitFor(slow, 1ms);
    const std::uint64_t replaced = reader.request(mp3WithCover());
    const std::uint64_t newest = reader.request(debianSound());
    EXPECT_LT(slow, replaced);
    EXPECT_LT(replaced, newest);
    EXPECT_FALSE(reader.waitFor(replaced, 1ms).has_value()) << "a replaced request never answers a wait";

    const std::optional<TDetailsLines> lines = reader.waitFor(newest, 60s);
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines, readHere(debianSound()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !read.isEmpty() && read.last().at(0).toULongLong() == newest; }, 60000));
    for (const QList<QVariant> &answer : read)
        EXPECT_NE(answer.at(0).toULongLong(), replaced) << "a request replaced before it started is never read";
}

} // namespace
