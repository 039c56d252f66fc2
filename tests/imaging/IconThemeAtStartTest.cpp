// A process of its own, so that its first icon lookup is the one under test:
// at every start the open-with buttons look up the icons their entries name,
// and one that only the desktop's own theme holds must be found then too,
// not only once something else has set the theme up.

#include "support/TempDir.h"
#include "util/AppIconLookup.h"

#include <QFile>

#include <gtest/gtest.h>

TEST(IconThemeAtStart, TheFirstLookupFindsAnIconOnlyTheDesktopsThemeHolds)
{
    if (!QFile::exists(QStringLiteral("/usr/share/icons/Adwaita/index.theme")))
        GTEST_SKIP() << "no desktop theme installed";
    TempDir dir;
    const struct
    {
        const char *file;
        const char *icon;
    } entries[] = {
        { "terminal.desktop", "utilities-terminal" },
        { "editor.desktop", "accessories-text-editor" },
    };
    for (const auto &entry : entries) {
        SCOPED_TRACE(entry.icon);
        const QString path = dir.write(QLatin1String(entry.file),
            QByteArray("[Desktop Entry]\nType=Application\nName=Tool\nExec=/bin/true\nIcon=") + entry.icon + '\n');
        EXPECT_EQ(ApplicationIconName(path), QLatin1String(entry.icon));
        EXPECT_FALSE(ApplicationIcon(path).isNull());
    }
}
