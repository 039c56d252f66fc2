#include "util/AppIconLookup.h"

#include "imaging/ShellItemImageFactory.h"
#include "support/TempDir.h"

#include <QFile>
#include <QIcon>

#include <gtest/gtest.h>

namespace {

// A private XDG world: the user's and one system application folder in a
// temporary tree, then the real /usr/share so the installed icon themes
// (hicolor with ImageMagick's display-im6.q16, a test dependency) are found.
class AppIconLookupTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = { qgetenv("XDG_DATA_HOME"), qgetenv("XDG_DATA_DIRS"), qgetenv("PATH") };
        qputenv("XDG_DATA_HOME", dir.mkdir(QStringLiteral("home")).toUtf8());
        qputenv("XDG_DATA_DIRS", (dir.mkdir(QStringLiteral("system")) + QStringLiteral(":/usr/share")).toUtf8());
        qputenv(
            "PATH", (dir.mkdir(QStringLiteral("bin")) + QStringLiteral(":") + QString::fromUtf8(m_saved[2])).toUtf8());
    }
    void TearDown() override
    {
        qputenv("XDG_DATA_HOME", m_saved[0]);
        qputenv("XDG_DATA_DIRS", m_saved[1]);
        qputenv("PATH", m_saved[2]);
    }

    QString executable(const QString &relative)
    {
        const QString path = dir.write(relative, "#!/bin/sh\nexit 0\n");
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
        return path;
    }
    QString desktop(const QString &relative, const QByteArray &body)
    {
        return dir.write(relative, "[Desktop Entry]\nType=Application\nName=Test\n" + body);
    }

    TempDir dir;
    QList<QByteArray> m_saved;
};

TEST_F(AppIconLookupTest, ExecutableFindsTheEntryThatStartsIt)
{
    const QString tool = executable(QStringLiteral("opt/My Tools/wave-editor"));
    const QString entry = desktop(QStringLiteral("system/applications/waves.desktop"),
        "Exec=\"" + tool.toUtf8() + "\" --new %F\nIcon=display-im6.q16\n");
    desktop(QStringLiteral("system/applications/other.desktop"), "Exec=/usr/bin/true\nIcon=other-icon\n");
    EXPECT_EQ(FindDesktopEntryForExecutable(tool), entry);
    EXPECT_EQ(ApplicationIconName(tool), QStringLiteral("display-im6.q16"));
    EXPECT_FALSE(ApplicationIcon(tool).isNull()) << "hicolor's display-im6.q16 icon is installed";
}

TEST_F(AppIconLookupTest, TryExecAndPathNamesCount)
{
    const QString onPath = executable(QStringLiteral("bin/tagger"));
    desktop(
        QStringLiteral("system/applications/tagger.desktop"), "TryExec=tagger\nExec=sh -c tagger\nIcon=tagger-icon\n");
    EXPECT_EQ(ApplicationIconName(onPath), QStringLiteral("tagger-icon"));

    const QString viaEnv = executable(QStringLiteral("bin/mixer"));
    desktop(
        QStringLiteral("system/applications/mixer.desktop"), "Exec=env LANG=C mixer %U\nIcon=/nonexistent/mixer.png\n");
    EXPECT_EQ(ApplicationIconName(viaEnv), QStringLiteral("/nonexistent/mixer.png"));
    EXPECT_TRUE(ApplicationIcon(viaEnv).isNull()) << "an icon file that does not exist is no icon";
}

TEST_F(AppIconLookupTest, UserEntriesWinAndHiddenOnesAreSkipped)
{
    const QString tool = executable(QStringLiteral("opt/player"));
    desktop(QStringLiteral("system/applications/player.desktop"), "Exec=" + tool.toUtf8() + "\nIcon=system-icon\n");
    desktop(QStringLiteral("home/applications/player.desktop"), "Exec=" + tool.toUtf8() + "\nIcon=display-im6.q16\n");
    EXPECT_EQ(ApplicationIconName(tool), QStringLiteral("display-im6.q16"));

    // Hiding the user's copy hides the system entry of the same id too.
    desktop(QStringLiteral("home/applications/player.desktop"), "Exec=" + tool.toUtf8() + "\nHidden=true\nIcon=x\n");
    EXPECT_TRUE(FindDesktopEntryForExecutable(tool).isEmpty());
}

TEST_F(AppIconLookupTest, WithoutAnEntryTheThemeIconOfTheBaseNameServes)
{
    // /usr/share's own display-im6.q16.desktop starts /usr/bin's copy, not ours.
    const QString named = executable(QStringLiteral("opt/display-im6.q16"));
    EXPECT_TRUE(FindDesktopEntryForExecutable(named).isEmpty());
    EXPECT_EQ(ApplicationIconName(named), QStringLiteral("display-im6.q16"));
    const QImage image = ApplicationIconImage(named, QSize(48, 48));
    EXPECT_EQ(image.size(), QSize(48, 48));

    // Nothing names one: the theme's generic program picture; a file that
    // cannot be run gets none.
    const QString unknown = executable(QStringLiteral("opt/no-icon-anywhere-xyz"));
    EXPECT_EQ(ApplicationIconName(unknown), GenericApplicationIconName);
    EXPECT_FALSE(ApplicationIcon(unknown).isNull());
    const QString plainFile = dir.write(QStringLiteral("opt/notes-xyz"), "text");
    EXPECT_TRUE(ApplicationIconName(plainFile).isEmpty());
}

TEST_F(AppIconLookupTest, DesktopFileGivesItsOwnIcon)
{
    const QString entry
        = desktop(QStringLiteral("elsewhere/editor.desktop"), "Exec=vi\nIcon=editor-icon\nIcon[de]=other\n");
    EXPECT_EQ(ApplicationIconName(entry), QStringLiteral("editor-icon"));

    // An icon given by its file.
    QImage picture(20, 20, QImage::Format_ARGB32);
    picture.fill(qRgba(200, 30, 30, 255));
    const QString file = dir.filePath(QStringLiteral("pictures/app.png"));
    dir.mkdir(QStringLiteral("pictures"));
    ASSERT_TRUE(picture.save(file));
    const QString withFile = desktop(QStringLiteral("elsewhere/file.desktop"), "Exec=vi\nIcon=" + file.toUtf8() + "\n");
    const QImage image = ApplicationIconImage(withFile, QSize(20, 20));
    ASSERT_EQ(image.size(), QSize(20, 20));
    EXPECT_EQ(image.pixel(5, 5), qRgba(200, 30, 30, 255));
    const QString withExtension
        = desktop(QStringLiteral("elsewhere/ext.desktop"), "Exec=vi\nIcon=display-im6.q16.png\n");
    EXPECT_FALSE(ApplicationIcon(withExtension).isNull()) << "a theme name given with its extension";
    const QString noIcon = desktop(QStringLiteral("elsewhere/bare.desktop"), "Exec=vi\n");
    EXPECT_EQ(ApplicationIconName(noIcon), GenericApplicationIconName) << "an entry without an icon of its own";
    EXPECT_TRUE(ApplicationIconName(dir.filePath(QStringLiteral("missing.desktop"))).isEmpty());
    EXPECT_TRUE(ApplicationIconName(dir.mkdir(QStringLiteral("folder.desktop"))).isEmpty());
}

TEST(DesktopExec, Splitting)
{
    const struct
    {
        const char *exec;
        QStringList args;
    } cases[] = {
        { "vim %F", { QStringLiteral("vim"), QStringLiteral("%F") } },
        { "  a   b  ", { QStringLiteral("a"), QStringLiteral("b") } },
        { "\"/opt/My App/run\" --x", { QStringLiteral("/opt/My App/run"), QStringLiteral("--x") } },
        { "sh -c \"echo \\\"hi\\\" \\\\ \\$HOME\"",
            { QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("echo \"hi\" \\ $HOME") } },
        { "\"\" empty", { QString(), QStringLiteral("empty") } },
        { "", {} },
    };
    for (const auto &c : cases)
        EXPECT_EQ(SplitDesktopExec(QString::fromUtf8(c.exec)), c.args) << c.exec;
}

TEST_F(AppIconLookupTest, ShellItemImage)
{
    EXPECT_TRUE(GetShellItemImage(dir.filePath(QStringLiteral("does-not-exist")), 40, 40).isNull());

    // A file that is no program and names no icon has no picture.
    const QString noIcon = dir.write(QStringLiteral("opt/no-icon-anywhere-xyz"), "text");
    EXPECT_TRUE(GetShellItemImage(noIcon, 40, 40).isNull());
    // A program without one gets the generic picture, but not at no size.
    const QString plain = executable(QStringLiteral("opt/plain-tool-xyz"));
    EXPECT_FALSE(GetShellItemImage(plain, 40, 40).isNull());
    EXPECT_TRUE(GetShellItemImage(plain, 0, 40).isNull());

    const QImage named = GetShellItemImage(executable(QStringLiteral("opt/display-im6.q16")), 48, 48);
    EXPECT_EQ(named.size(), QSize(48, 48));
    EXPECT_EQ(named.format(), QImage::Format_ARGB32);
}

} // namespace
