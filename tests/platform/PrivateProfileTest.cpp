#include "platform/IniDocument.h"
#include "platform/PrivateProfile.h"
#include "support/TempDir.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace platform;

namespace {

TEST(PrivateProfileTest, FirstWriteToTwoByteFileGivesUtf16Text)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("v.ini"), QByteArray("\xFF\xFE", 2));
    ASSERT_TRUE(writeProfileString(path, QStringLiteral("Settings"), QStringLiteral("Preview volume"), QStringLiteral("70")));
    EXPECT_EQ(TempDir::readAll(path), IniDocument::encode(QStringLiteral("[Settings]\r\nPreview volume=70\r\n")));
    EXPECT_EQ(readProfileString(path, QStringLiteral("settings"), QStringLiteral("PREVIEW VOLUME"), QStringLiteral("x")),
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
    EXPECT_EQ(readProfileString(path, QStringLiteral("S"), QStringLiteral("Name"), QString()), QStringLiteral("Bj\u00F6rk"));
    // The first write turns the file into UTF-16 without losing what it held.
    ASSERT_TRUE(writeProfileString(path, QStringLiteral("S"), QStringLiteral("Other"), QStringLiteral("1")));
    EXPECT_TRUE(TempDir::readAll(path).startsWith("\xFF\xFE"));
    EXPECT_EQ(readProfileString(path, QStringLiteral("S"), QStringLiteral("Name"), QString()), QStringLiteral("Bj\u00F6rk"));
}

TEST(PrivateProfileTest, MissingFileOrEmptyPathGivesDefaultsAndEmptyPathFailsWrites)
{
    TempDir dir;
    EXPECT_EQ(readProfileString(dir.filePath(QStringLiteral("none.ini")), QStringLiteral("S"), QStringLiteral("K"),
                                QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_EQ(readProfileString(QString(), QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_FALSE(writeProfileString(QString(), QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v")));
}

TEST(PrivateProfileTest, LineBreaksInValuesCannotInjectKeys)
{
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("v.ini"));
    ASSERT_TRUE(writeProfileString(path, QStringLiteral("S"), QStringLiteral("Folder 1"), QStringLiteral("a\r\n[X]\r\nk=v")));
    EXPECT_EQ(readProfileString(path, QStringLiteral("X"), QStringLiteral("k"), QStringLiteral("none")), QStringLiteral("none"));
}

TEST(PrivateProfileTest, ParsesIntegersByTheProfileRule)
{
    struct Case
    {
        const char *text;
        int expected;
    };
    const Case cases[] = {
        {"0x78", 120}, {"0X78", 120}, {"0xffffffff", -1}, {"0x", 7},   {"0x1G", 7},        {"0x-1", 7},
        {"120", 120},  {"-5", -5},    {"+5", 5},          {"abc", 7},  {"", 7},            {"12abc", 7},
        {"2147483647", 2147483647},   {"2147483648", 7},  {"0x100000000", 7}, {"010", 10},
    };
    for (const Case &c : cases)
        EXPECT_EQ(parseProfileInteger(QString::fromUtf8(c.text), 7), c.expected) << c.text;
}

// A write that cannot complete leaves the old file whole: a read-only file is
// refused, and a failing disk (here: /dev/full behind a symlink is not
// possible, so a read-only folder) never truncates the content.
TEST(PrivateProfileTest, FailedWritesLeaveTheFileUntouched)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "runs the check as user nobody, which needs root";
    TempDir dir;
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                          | QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
    const QString path = dir.filePath(QStringLiteral("v.ini"));
    ASSERT_TRUE(writeProfileString(path, QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("old")));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadOther | QFile::ReadGroup);
    const QByteArray before = TempDir::readAll(path);

    // The same program, run as an unprivileged user, tries to write.
    const QString self = QStringLiteral("/proc/self/exe");
    QProcess child;
    child.setProgram(QStringLiteral("runuser"));
    child.setArguments({QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"), QFile::symLinkTarget(self),
                        QStringLiteral("--gtest_filter=PrivateProfileHelper.WriteAsUser")});
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VANTREL_INI_UNDER_TEST"), path);
    child.setProcessEnvironment(env);
    child.start();
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
    EXPECT_EQ(TempDir::readAll(path), before);
}

// Runs only inside the child above.
TEST(PrivateProfileHelper, WriteAsUser)
{
    const QString path = qEnvironmentVariable("VANTREL_INI_UNDER_TEST");
    if (path.isEmpty())
        GTEST_SKIP() << "helper for FailedWritesLeaveTheFileUntouched";
    QString error;
    EXPECT_EQ(readProfileString(path, QStringLiteral("S"), QStringLiteral("K"), QString()), QStringLiteral("old"));
    EXPECT_FALSE(writeProfileString(path, QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("new"), &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
