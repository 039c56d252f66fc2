// Writing the details text to a file: encoding, line ends, failures.
#include "QtPrinting.h"
#include "details/DetailsTextForm.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// Runs the save and returns the error text, empty when it succeeded.
QString saveError(const QString &path, const QStringList &lines)
{
    const platform::Result<> saved = SaveDetailsTextFile(path, lines);
    if (saved)
        return {};
    // A failure always says why.
    EXPECT_FALSE(saved.error().isEmpty());
    return saved.error();
}

TEST(DetailsExport, WritesLocaleBytesWithCrLfAfterEveryLine)
{
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("song.flac details.txt"));
    const QStringList lines = { QStringLiteral("General"), QString::fromUtf16(u"Title: Ünïcödé: 12:34"), QString() };
    ASSERT_EQ(saveError(path, lines), QString());
    // The locale's encoding is UTF-8 here; no byte-order mark in front.
    EXPECT_EQ(TempDir::readAll(path),
        QByteArray("General\r\nTitle: \xc3\x9cn\xc3\xaf"
                   "c\xc3\xb6"
                   "d\xc3\xa9: 12:34\r\n\r\n"));
}

TEST(DetailsExport, UnmappableCharacterBecomesQuestionMark)
{
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    QString value = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b") + QChar(0xDC00);
    const QString pair = QString::fromUtf16(u"\U0001F3B5"); // a valid pair stays
    ASSERT_EQ(saveError(path, { value + pair }), QString());
    EXPECT_EQ(TempDir::readAll(path), QByteArray("a?b?\xf0\x9f\x8e\xb5\r\n"));
}

TEST(DetailsExport, EmptyListGivesZeroByteFileReplacingOldOne)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("old.txt"), "previous contents\r\n");
    ASSERT_EQ(saveError(path, {}), QString());
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(QFileInfo(path).size(), 0);
}

TEST(DetailsExport, MissingFolderReportsPathAndWritesNothing)
{
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("no such folder/x details.txt"));
    const QString error = saveError(path, { QStringLiteral("General") });
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(DetailsExport, FolderAsTargetReportsError)
{
    TempDir dir;
    const QString path = dir.mkdir(QStringLiteral("a folder"));
    const QString error = saveError(path, { QStringLiteral("General") });
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(path).isDir());
}

// Root ignores permissions; ctest runs this one again as an unprivileged user.
TEST(DetailsExportUnprivileged, ReadOnlyTargetReportsErrorAndKeepsFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions mean nothing to root";
    TempDir dir;
    const QString path = dir.write(QStringLiteral("locked.txt"), "keep me\r\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    const QString error = saveError(path, { QStringLiteral("General"), QStringLiteral("Format: FLAC") });
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_EQ(TempDir::readAll(path), QByteArray("keep me\r\n"));
    // No temporary file is left beside it either.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({ QStringLiteral("locked.txt") }));
}

TEST(DetailsExportUnprivileged, ReadOnlyFolderReportsErrorAndCreatesNothing)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions mean nothing to root";
    TempDir dir;
    const QString folder = dir.mkdir(QStringLiteral("locked"));
    ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const QString path = folder + QStringLiteral("/x details.txt");
    const QString error = saveError(path, { QStringLiteral("General") });
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_TRUE(QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

} // namespace
