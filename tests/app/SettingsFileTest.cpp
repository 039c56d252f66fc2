#include "app/SettingsFile.h"

#include "platform/IniDocument.h"
#include "platform/KeyStore.h"
#include "support/TempDir.h"
#include "util/HelperTarvex.h"

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
    const auto made = CreateUnicodeIniFile(path);
    ASSERT_TRUE(made);
    EXPECT_TRUE(made.value());
    EXPECT_EQ(TempDir::readAll(path), QByteArray("\xFF\xFE", 2));
    dir.write(QStringLiteral("v.ini"), "keep");
    const auto again = CreateUnicodeIniFile(path);
    ASSERT_TRUE(again);
    EXPECT_FALSE(again.value());
    EXPECT_EQ(TempDir::readAll(path), QByteArray("keep"));
}

TEST(SettingsFileTest, CreateUnicodeIniFileReportsWhyItFailed)
{
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("missing folder/v.ini"));
    const auto made = CreateUnicodeIniFile(path);
    ASSERT_FALSE(made) << "no error reported";
    const QString prefix = QStringLiteral("Cannot create file \"") + path + QStringLiteral("\". ");
    EXPECT_TRUE(made.error().startsWith(prefix)) << made.error().toStdString();
    EXPECT_GT(made.error().size(), prefix.size()) << "the system's reason is missing";
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(SettingsFileTest, ReadsTypedValuesWithDefaults)
{
    TempDir dir;
    const QString path
        = dir.write(QStringLiteral("v.ini"), QByteArray("[Display]\nScaling=0x78\nBad=abc\n[S]\nOn=2\nOff=0\n"));
    const SettingsFile ini(path);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Display"), QStringLiteral("Scaling"), 0), 120);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Display"), QStringLiteral("Bad"), 55), 55);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Display"), QStringLiteral("Missing"), 55), 55);
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("S"), QStringLiteral("On"), false));
    EXPECT_FALSE(ini.ReadBool(QStringLiteral("S"), QStringLiteral("Off"), true));
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("S"), QStringLiteral("Missing"), true));
}

TEST(SettingsFileTest, FailedWriteReportsUnableToWrite)
{
    SettingsFile ini { QString() };
    ini.WriteInteger(QStringLiteral("S"), QStringLiteral("K"), 1);
    const platform::Result<> saved = ini.Save();
    ASSERT_FALSE(saved) << "no error reported";
    EXPECT_EQ(saved.error(), QStringLiteral("Unable to write to "));

    TempDir dir;
    const QString folderInTheWay = dir.mkdir(QStringLiteral("v.ini"));
    SettingsFile blocked(folderInTheWay);
    blocked.WriteString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v"));
    const platform::Result<> blockedSave = blocked.Save();
    ASSERT_FALSE(blockedSave) << "no error reported";
    EXPECT_EQ(blockedSave.error(), QStringLiteral("Unable to write to ") + folderInTheWay);
}

TEST(SettingsFileTest, ExtractFileNameWithoutExtDropsOnlyTheLastExtension)
{
    EXPECT_EQ(ExtractFileNameWithoutExt(QStringLiteral("/opt/tools/my.editor.bin")), QStringLiteral("my.editor"));
    EXPECT_EQ(ExtractFileNameWithoutExt(QStringLiteral("/usr/bin/editor")), QStringLiteral("editor"));
    EXPECT_EQ(ExtractFileNameWithoutExt(QStringLiteral(".exe")), QString());
    EXPECT_EQ(ExtractFileNameWithoutExt(QStringLiteral("/a.b/c")), QStringLiteral("c"));
}

// Values a person can type into the settings window or pick as a folder,
// through the program's settings file and through the key store: each reads
// back exactly as it was written.
class RoundTripTest : public ::testing::TestWithParam<QString>
{
};

TEST_P(RoundTripTest, EveryWrittenValueReadsBackIdentical)
{
    const QString value = GetParam();
    TempDir dir;
    const QString path = dir.filePath(QStringLiteral("v.ini"));
    {
        SettingsFile ini(path);
        ini.WriteString(QStringLiteral("Settings"), QStringLiteral("Application 1 parameters"), value);
        ini.WriteString(QStringLiteral("Settings"), QStringLiteral("Folder 1"), value);
        ASSERT_TRUE(ini.Save());
    }
    const SettingsFile reread(path);
    EXPECT_EQ(
        reread.ReadString(QStringLiteral("Settings"), QStringLiteral("Application 1 parameters"), QStringLiteral("?")),
        value);
    EXPECT_EQ(reread.ReadString(QStringLiteral("Settings"), QStringLiteral("Folder 1"), QStringLiteral("?")), value);

    platform::KeyStore store(dir.filePath(QStringLiteral("registry.ini")));
    const QString key
        = QStringLiteral("Software\\Tarvex\\Brivane Dialogs\\App settings\\{14041EA1-43B5-474A-B7BA-CAE3B9460048}");
    ASSERT_TRUE(store.writeString(key, QStringLiteral("Folder"), value));
    ASSERT_TRUE(store.writeDword(key, QStringLiteral("Filter index"), 2));
    EXPECT_EQ(store.readString(key, QStringLiteral("Folder")), value);
    EXPECT_EQ(store.readDword(key, QStringLiteral("Filter index")), 2u);
}

INSTANTIATE_TEST_SUITE_P(HostileValues, RoundTripTest,
    ::testing::Values(QStringLiteral("\"--title=My Mix\" {filename} \"--loop\""),
        QStringLiteral("/music/presets/ends in a blank "), QStringLiteral(" starts with a blank"),
        QStringLiteral("  both  "), QStringLiteral("\t tab first"), QStringLiteral("\""), QStringLiteral("\"\""),
        QStringLiteral("'single'"), QStringLiteral("'"), QStringLiteral("\"half"), QStringLiteral("half'"),
        QStringLiteral("\"mixed'"), QStringLiteral("a=b=c"), QStringLiteral("; looks like a comment"),
        QStringLiteral("[Looks like a section]"), QStringLiteral("Gr\u00FCn caf\u00E9 \u20AC \U0001F3B5"),
        QStringLiteral("\u00A0no-break blank\u00A0"), QString()));

TEST(SettingsFileTest, WritesReachTheDiskTogetherAtSave)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("v.ini"), QByteArray("\xFF\xFE", 2));
    SettingsFile ini(path);
    ini.WriteInteger(QStringLiteral("S"), QStringLiteral("A"), 1);
    ini.WriteInteger(QStringLiteral("S"), QStringLiteral("B"), 2);
    EXPECT_EQ(TempDir::readAll(path), QByteArray("\xFF\xFE", 2));
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(TempDir::readAll(path), platform::IniDocument::encode(QStringLiteral("[S]\r\nA=1\r\nB=2\r\n")));
}

TEST(SettingsFileTest, FileOverTheCapIsRefusedWithAClearMessageAndLeftAlone)
{
    TempDir dir;
    QByteArray bytes("[Display]\r\nScaling=120\r\n; ");
    bytes.append(QByteArray(platform::IniDocument::kMaxFileSize, 'x'));
    const QString path = dir.write(QStringLiteral("v.ini"), bytes);
    SettingsFile ini(path);
    EXPECT_EQ(ReadDisplayScaling(ini), 0);
    ini.WriteInteger(QStringLiteral("Display"), QStringLiteral("Scaling"), 96);
    const platform::Result<> saved = ini.Save();
    ASSERT_FALSE(saved) << "no error reported";
    EXPECT_TRUE(saved.error().startsWith(QStringLiteral("Unable to write to ") + path + QStringLiteral("\n")));
    EXPECT_TRUE(saved.error().contains(QStringLiteral("larger than"))) << saved.error().toStdString();
    EXPECT_EQ(TempDir::readAll(path), bytes);
}

TEST(SettingsFileTest, ScalingIsAnyValueInTheSaneRangeElseZero)
{
    const struct
    {
        const char *text;
        int expected;
    } cases[] = { { "0", 0 }, { "96", 96 }, { "0x78", 120 }, { "144", 144 }, { "192", 192 }, { "108", 108 },
        { "100", 100 }, { "72", 72 }, { "480", 480 }, { "71", 0 }, { "481", 0 }, { "-96", 0 }, { "1", 0 },
        { "2147483647", 0 }, { "abc", 0 }, { "", 0 } };
    for (const auto &c : cases) {
        TempDir dir;
        const QString path = dir.write(QStringLiteral("v.ini"), QByteArray("[Display]\nScaling=") + c.text);
        EXPECT_EQ(ReadDisplayScaling(SettingsFile(path)), c.expected) << c.text;
    }
}

} // namespace
