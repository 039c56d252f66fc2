#include "platform/PrivateProfile.h"

#include "platform/IniDocument.h"
#include "platform/IniEdit.h"
#include "support/AsNobody.h"
#include "support/TempDir.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

TEST(PrivateProfileTest, FirstWriteToTwoByteFileGivesUtf16Text)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("v.ini"), QByteArray("\xFF\xFE", 2));
    ASSERT_TRUE(
        writeProfileString(path, QStringLiteral("Settings"), QStringLiteral("Preview volume"), QStringLiteral("70")));
    EXPECT_EQ(TempDir::readAll(path), IniDocument::encode(QStringLiteral("[Settings]\r\nPreview volume=70\r\n")));
    EXPECT_EQ(
        readProfileString(path, QStringLiteral("settings"), QStringLiteral("PREVIEW VOLUME"), QStringLiteral("x")),
        QStringLiteral("70"));
}

TEST(PrivateProfileTest, ReadsAreCappedAt2047Characters)
{
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("v.ini"));
    QString longValue;
    for (int i = 0; i < 3000; ++i)
        longValue.append(QChar(u'a' + i % 26));
    ASSERT_TRUE(writeProfileString(path, QStringLiteral("S"), QStringLiteral("K"), longValue));
    const QString read = readProfileString(path, QStringLiteral("S"), QStringLiteral("K"), QString());
    EXPECT_EQ(read.size(), 2047);
    EXPECT_EQ(read, longValue.left(2047));
}

TEST(PrivateProfileTest, FileWithoutByteOrderMarkIsUtf8)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("v.ini"), QByteArray("[S]\nName=Bj\xC3\xB6rk\n"));
    EXPECT_EQ(
        readProfileString(path, QStringLiteral("S"), QStringLiteral("Name"), QString()), QStringLiteral("Bj\u00F6rk"));
    // The first write turns the file into UTF-16 without losing what it held.
    ASSERT_TRUE(writeProfileString(path, QStringLiteral("S"), QStringLiteral("Other"), QStringLiteral("1")));
    EXPECT_TRUE(TempDir::readAll(path).startsWith("\xFF\xFE"));
    EXPECT_EQ(
        readProfileString(path, QStringLiteral("S"), QStringLiteral("Name"), QString()), QStringLiteral("Bj\u00F6rk"));
}

TEST(PrivateProfileTest, Latin1FileKeepsItsCharactersThroughASave)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("v.ini"), QByteArray("; caf\xE9\r\n[S]\r\nname=Gr\xFCn\r\n"));
    EXPECT_EQ(
        readProfileString(path, QStringLiteral("S"), QStringLiteral("name"), QString()), QStringLiteral("Gr\u00FCn"));
    ASSERT_TRUE(writeProfileString(path, QStringLiteral("S"), QStringLiteral("other"), QStringLiteral("1")));
    EXPECT_EQ(TempDir::readAll(path),
        IniDocument::encode(QStringLiteral("; caf\u00E9\r\n[S]\r\nname=Gr\u00FCn\r\nother=1\r\n")));
}

TEST(PrivateProfileTest, FileOverTheCapIsNeitherReadNorReplaced)
{
    TempDir dir;
    QByteArray bytes("[S]\r\nk=v\r\nlong=");
    bytes.append(QByteArray(IniDocument::kMaxFileSize, 'x'));
    const QString path = dir.write(QStringLiteral("v.ini"), bytes);
    EXPECT_EQ(readProfileString(path, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("default")),
        QStringLiteral("default"));
    const auto written = writeProfileString(path, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("new"));
    ASSERT_FALSE(written);
    EXPECT_TRUE(written.error().contains(QStringLiteral("larger than 1024 KiB"))) << written.error().toStdString();
    EXPECT_EQ(TempDir::readAll(path), bytes);

    // Just under the cap is an ordinary file.
    bytes.chop(bytes.size() - IniDocument::kMaxFileSize);
    dir.write(QStringLiteral("v.ini"), bytes);
    EXPECT_EQ(readProfileString(path, QStringLiteral("S"), QStringLiteral("k"), QString()), QStringLiteral("v"));
}

TEST(PrivateProfileTest, EditHelperWritesOnceAndOnlyWhenSomethingChanged)
{
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("v.ini"));
    const Result<> written = editIniFile(path, [](IniDocument &doc) {
        for (int i = 0; i < 20; ++i)
            doc.setValue(QStringLiteral("S"), QStringLiteral("k%1").arg(i), QString::number(i));
    });
    ASSERT_TRUE(written) << written.error().toStdString();
    EXPECT_EQ(readProfileString(path, QStringLiteral("S"), QStringLiteral("k19"), QString()), QStringLiteral("19"));

    // Nothing changed: the file is not replaced (same inode).
    struct stat before
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    ASSERT_TRUE(
        editIniFile(path, [](IniDocument &doc) { doc.removeKey(QStringLiteral("S"), QStringLiteral("none")); }).ok());
    struct stat after
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);

    // An unreadable place is never replaced.
    const QString folder = dir.mkdir(QStringLiteral("folder.ini"));
    const Result<> refused = editIniFile(
        folder, [](IniDocument &doc) { doc.setValue(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")); });
    ASSERT_FALSE(refused);
    EXPECT_FALSE(refused.error().isEmpty());
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST(PrivateProfileTest, MissingFileOrEmptyPathGivesDefaultsAndEmptyPathFailsWrites)
{
    TempDir dir;
    EXPECT_EQ(readProfileString(dir.filePath(QStringLiteral("none.ini")), QStringLiteral("S"), QStringLiteral("K"),
                  QStringLiteral("d")),
        QStringLiteral("d"));
    EXPECT_EQ(readProfileString(QString(), QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("d")),
        QStringLiteral("d"));
    EXPECT_FALSE(writeProfileString(QString(), QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v")));
}

TEST(PrivateProfileTest, LineBreaksInValuesCannotInjectKeys)
{
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("v.ini"));
    ASSERT_TRUE(
        writeProfileString(path, QStringLiteral("S"), QStringLiteral("Folder 1"), QStringLiteral("a\r\n[X]\r\nk=v")));
    EXPECT_EQ(readProfileString(path, QStringLiteral("X"), QStringLiteral("k"), QStringLiteral("none")),
        QStringLiteral("none"));
}

TEST(PrivateProfileTest, ParsesIntegersByTheProfileRule)
{
    struct Case
    {
        const char *text;
        int expected;
    };
    const Case cases[] = {
        { "0x78", 120 },
        { "0X78", 120 },
        { "0xffffffff", -1 },
        { "0x", 7 },
        { "0x1G", 7 },
        { "0x-1", 7 },
        { "120", 120 },
        { "-5", -5 },
        { "+5", 5 },
        { "abc", 7 },
        { "", 7 },
        { "12abc", 7 },
        { "2147483647", 2147483647 },
        { "2147483648", 7 },
        { "0x100000000", 7 },
        { "010", 10 },
    };
    for (const Case &c : cases)
        EXPECT_EQ(parseProfileInteger(QString::fromUtf8(c.text), 7), c.expected) << c.text;
}

// A write that cannot complete leaves the old file whole: a read-only file is
// refused and never truncated. Root ignores permissions, so the write is
// tried again by this program run as nobody.
TEST(PrivateProfileTest, FailedWritesLeaveTheFileUntouched)
{
    TempDir dir;
    QFile::setPermissions(dir.path(),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup
            | QFile::ExeGroup);
    const QString path = dir.filePath(QStringLiteral("v.ini"));
    ASSERT_TRUE(writeProfileString(path, QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("old")));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadOther | QFile::ReadGroup);
    const QByteArray before = TempDir::readAll(path);

    const NobodyRun run = runAsNobody(
        QStringLiteral("PrivateProfileHelper.WriteAsUser"), { QStringLiteral("VANTREL_INI_UNDER_TEST=") + path });
    if (!run.ran)
        GTEST_SKIP() << run.skipReason.toStdString();
    EXPECT_TRUE(run.passed()) << run.output.toStdString();
    EXPECT_EQ(TempDir::readAll(path), before);
}

// Runs only inside the child above.
TEST(PrivateProfileHelper, WriteAsUser)
{
    const QString path = qEnvironmentVariable("VANTREL_INI_UNDER_TEST");
    if (path.isEmpty())
        GTEST_SKIP() << "helper for FailedWritesLeaveTheFileUntouched";
    EXPECT_EQ(readProfileString(path, QStringLiteral("S"), QStringLiteral("K"), QString()), QStringLiteral("old"));
    const auto written = writeProfileString(path, QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("new"));
    ASSERT_FALSE(written);
    EXPECT_FALSE(written.error().isEmpty());
}

} // namespace
