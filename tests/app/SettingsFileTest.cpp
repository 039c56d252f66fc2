#include "app/SettingsFile.h"
#include "support/TempDir.h"
#include "util/HelperTarvex.h"
#include "util/VantrelError.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

TEST(SettingsFileTest, NameIsTheExecutableNameInTheTarvexDataFolder)
{
    const QString expected = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                             + QStringLiteral("/Tarvex/Vantrel/main_window_test.ini");
    EXPECT_EQ(GetSettingsFileName(), expected);
    EXPECT_TRUE(QFileInfo(expected).dir().exists());
}

TEST(SettingsFileTest, CreateUnicodeIniFileWritesOnlyTheByteOrderMark)
{
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("v.ini"));
    EXPECT_TRUE(CreateUnicodeIniFile(path));
    EXPECT_EQ(TempDir::readAll(path), QByteArray("\xFF\xFE", 2));
    dir.write(QStringLiteral("v.ini"), "keep");
    EXPECT_FALSE(CreateUnicodeIniFile(path));
    EXPECT_EQ(TempDir::readAll(path), QByteArray("keep"));
}

TEST(SettingsFileTest, CreateUnicodeIniFileReportsWhyItFailed)
{
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("missing folder/v.ini"));
    try {
        CreateUnicodeIniFile(path);
        FAIL() << "no error raised";
    } catch (const VantrelError &error) {
        const QString prefix = QStringLiteral("Cannot create file \"") + path + QStringLiteral("\". ");
        EXPECT_TRUE(error.message().startsWith(prefix)) << error.message().toStdString();
        EXPECT_GT(error.message().size(), prefix.size()) << "the system's reason is missing";
    }
}

TEST(SettingsFileTest, ReadsTypedValuesWithDefaults)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("v.ini"), QByteArray("[Display]\nScaling=0x78\nBad=abc\n[S]\nOn=2\nOff=0\n"));
    const SettingsFile ini(path);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Display"), QStringLiteral("Scaling"), 0), 120);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Display"), QStringLiteral("Bad"), 55), 55);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Display"), QStringLiteral("Missing"), 55), 55);
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("S"), QStringLiteral("On"), false));
    EXPECT_FALSE(ini.ReadBool(QStringLiteral("S"), QStringLiteral("Off"), true));
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("S"), QStringLiteral("Missing"), true));
}

TEST(SettingsFileTest, FailedWriteRaisesUnableToWrite)
{
    SettingsFile ini{QString()};
    try {
        ini.WriteInteger(QStringLiteral("S"), QStringLiteral("K"), 1);
        FAIL() << "no error raised";
    } catch (const VantrelError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Unable to write to "));
    }
    TempDir dir;
    const QString folderInTheWay = dir.mkdir(QStringLiteral("v.ini"));
    SettingsFile blocked(folderInTheWay);
    try {
        blocked.WriteString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v"));
        FAIL() << "no error raised";
    } catch (const VantrelError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Unable to write to ") + folderInTheWay);
    }
}

TEST(SettingsFileTest, ExtractFileNameWithoutExtDropsOnlyTheLastExtension)
{
    EXPECT_EQ(ExtractFileNameWithoutExt(QStringLiteral("/opt/tools/my.editor.bin")), QStringLiteral("my.editor"));
    EXPECT_EQ(ExtractFileNameWithoutExt(QStringLiteral("/usr/bin/editor")), QStringLiteral("editor"));
    EXPECT_EQ(ExtractFileNameWithoutExt(QStringLiteral(".exe")), QString());
    EXPECT_EQ(ExtractFileNameWithoutExt(QStringLiteral("/a.b/c")), QStringLiteral("c"));
}

} // namespace
