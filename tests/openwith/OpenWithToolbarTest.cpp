#include "OpenWithFixture.h"
#include "imaging/IconFile.h"
#include "imaging/IconLoaderGR32FIHQ.h"
#include "util/AppIconLookup.h"

#include <QFileInfo>
#include <QLabel>
#include <QToolButton>

namespace {

int imageIndex(const QToolButton *button)
{
    return TFormMain::ToolButtonImageIndex(button);
}

QImage pixels(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

bool fullyTransparent(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                return false;
    return true;
}

class ToolbarTest : public OpenWithTest
{
protected:
    // An application with a real theme icon: a .desktop entry in the private
    // XDG folders starts it and names hicolor's display-im6.q16 icon.
    QString appWithIcon(const QString &relative)
    {
        const QString path = executable(relative);
        m_dir.write(QStringLiteral("system/applications/") + QFileInfo(path).fileName() + QStringLiteral(".desktop"),
            "[Desktop Entry]\nType=Application\nName=T\nExec=" + path.toUtf8() + " %F\nIcon=display-im6.q16\n");
        return path;
    }
};

TEST_F(ToolbarTest, LoadIconsSetsTheWindowIconAndTheTwoStockImages)
{
    TFormMain &form = createBoth();
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_FALSE(FormSettings->windowIcon().isNull()) << "the settings window takes the main window's icon";
    form.LoadIcons();
    ASSERT_EQ(form.ImageListFilesButtons.count(), 2);
    EXPECT_EQ(imageIndex(form.ToolButton4), 1);
    EXPECT_FALSE(fullyTransparent(pixels(form.ImageListFilesButtons.at(0))));
    EXPECT_FALSE(fullyTransparent(pixels(form.ImageListFilesButtons.at(1))));
}

TEST_F(ToolbarTest, SlotsOneAndThreeUsable)
{
    TFormMain &form = createBoth();
    setSlot(1, appWithIcon(QStringLiteral("opt/first")), QStringLiteral("First"));
    setSlot(2, m_dir.filePath(QStringLiteral("opt/missing")), QStringLiteral("Never shown"));
    setSlot(3, appWithIcon(QStringLiteral("opt/third")));
    form.DisplayOpenWithButtons();

    ASSERT_EQ(form.ImageListFilesButtons.count(), 4) << "two stock images and one icon per usable slot";
    EXPECT_EQ(imageIndex(form.ToolButton4), 1);
    EXPECT_EQ(imageIndex(form.ToolButton1), 2);
    EXPECT_EQ(imageIndex(form.ToolButton2), 0);
    EXPECT_EQ(imageIndex(form.ToolButton3), 3);
    EXPECT_EQ(form.ToolButton1->text(), QStringLiteral(" First "));
    EXPECT_EQ(form.ToolButton2->text(), QStringLiteral("No app. specified  "));
    EXPECT_EQ(form.ToolButton3->text(), QStringLiteral(" third ")) << "slot 3's own base name, not slot 1's name";
    EXPECT_EQ(
        form.ToolButton1->toolTip(), QStringLiteral("Open selected file(s) in application specified in settings."));
    EXPECT_EQ(form.ToolButton1->width(), form.ToolButton1->sizeHint().width());
    EXPECT_LT(form.ToolButton1->width(), form.ToolButton2->width()) << "each button as wide as its caption needs";
}

TEST_F(ToolbarTest, CaptionRule)
{
    TFormMain &form = createBoth();
    m_dir.write(QStringLiteral("Tools/sound-editor.desktop"),
        "[Desktop Entry]\nType=Application\nName=Sound Editor\nExec=/bin/true %F\n");
    m_dir.write(QStringLiteral("Tools/unnamed.desktop"), "[Desktop Entry]\nType=Application\nExec=/bin/true\n");
    const struct
    {
        const char *file;
        const char *name;
        const char *caption;
    } cases[] = {
        { "Tools/sound-editor.desktop", "", " Sound Editor " },
        { "Tools/sound-editor.desktop", "Mine", " Mine " },
        { "Tools/unnamed.desktop", "", " unnamed " },
        { "opt/rock", "Rock & Roll", " Rock && Roll " },
        { "Tools/my.editor.exe", "", " my.editor " },
        { "Tools/editor", "", " editor " },
        { "Tools/.exe", "", "  " },
        { "Tools/a&b.sh", "", " a&&b " },
    };
    for (const auto &c : cases) {
        const QString file = QString::fromLatin1(c.file);
        setSlot(1, file.endsWith(QStringLiteral(".desktop")) ? m_dir.filePath(file) : executable(file),
            QString::fromLatin1(c.name));
        form.DisplayOpenWithButtons();
        EXPECT_EQ(form.ToolButton1->text(), QString::fromLatin1(c.caption)) << c.file;
    }
}

TEST_F(ToolbarTest, SavingTwiceGivesTheSameList)
{
    TFormMain &form = createBoth();
    setSlot(1, appWithIcon(QStringLiteral("opt/first")));
    setSlot(3, executable(QStringLiteral("opt/third")));
    FormSettings->ButtonOKClick();
    const int count = form.ImageListFilesButtons.count();
    QList<QImage> first;
    for (int i = 0; i < count; ++i)
        first.append(pixels(form.ImageListFilesButtons.at(i)));
    FormSettings->ButtonOKClick();
    ASSERT_EQ(form.ImageListFilesButtons.count(), count);
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(pixels(form.ImageListFilesButtons.at(i)), first[i]) << i;
    EXPECT_TRUE(m_errors.isEmpty());
}

struct CellCase
{
    int cell;
    bool shellBuilder;
};

class CellSizeTest : public ToolbarTest, public testing::WithParamInterface<CellCase>
{
};

TEST_P(CellSizeTest, BuilderFollowsTheCellSize)
{
    const CellCase c = GetParam();
    TFormMain &form = createBoth();
    form.ImageListFilesButtons.setCellSize(QSize(c.cell, c.cell));
    setSlot(1, appWithIcon(QStringLiteral("opt/first")));
    // An entry naming an icon that no theme has: no picture at all.
    setSlot(2,
        m_dir.write(QStringLiteral("opt/lost-icon.desktop"),
            "[Desktop Entry]\nType=Application\nName=Lost\nExec=true\nIcon=no-such-icon-xyz\n"));
    // An executable no entry and no theme knows: the generic program picture.
    setSlot(3, executable(QStringLiteral("opt/no-icon-anywhere-xyz")));
    form.DisplayOpenWithButtons();

    const QSize cell(c.cell, c.cell);
    for (int i = 0; i < form.ImageListFilesButtons.count(); ++i)
        EXPECT_EQ(form.ImageListFilesButtons.at(i).size(), cell) << i;
    // The list keeps pixmaps, so both sides take that road before comparing.
    EXPECT_EQ(pixels(form.ImageListFilesButtons.at(0)),
        pixels(QPixmap::fromImage(IconResourceImageForCell(QStringLiteral("16QUESTION"), 48, cell))));
    if (c.cell == 48) {
        EXPECT_EQ(pixels(form.ImageListFilesButtons.at(0)),
            pixels(QPixmap::fromImage(LoadIconGroup(QStringLiteral("16QUESTION"), 48))))
            << "at 48 the question mark is copied unchanged";
    }

    ASSERT_EQ(imageIndex(form.ToolButton1), 2);
    EXPECT_FALSE(fullyTransparent(pixels(form.ImageListFilesButtons.at(2))));
    int generic = -1;
    if (c.shellBuilder) {
        // No picture from the shell still takes a (transparent) entry.
        ASSERT_EQ(form.ImageListFilesButtons.count(), 5);
        EXPECT_EQ(imageIndex(form.ToolButton2), 3);
        EXPECT_TRUE(fullyTransparent(pixels(form.ImageListFilesButtons.at(3))));
        generic = 4;
    } else {
        // No icon: nothing appended, the button shows no image.
        ASSERT_EQ(form.ImageListFilesButtons.count(), 4);
        EXPECT_EQ(imageIndex(form.ToolButton2), -1);
        EXPECT_TRUE(form.ToolButton2->icon().isNull());
        generic = 3;
    }
    EXPECT_EQ(form.ToolButton2->text(), QStringLiteral(" Lost ")) << "the entry's own Name";
    EXPECT_EQ(form.ToolButton3->text(), QStringLiteral(" no-icon-anywhere-xyz "));
    ASSERT_EQ(imageIndex(form.ToolButton3), generic);
    EXPECT_FALSE(fullyTransparent(pixels(form.ImageListFilesButtons.at(generic))))
        << "an executable without an entry shows the theme's generic program picture";
}

TEST_F(ToolbarTest, ExecutableWithoutEntryShowsTheGenericPictureInBothWindows)
{
    TFormMain &form = createBoth();
    const QString plain = executable(QStringLiteral("opt/plain-tool-xyz"));
    ASSERT_EQ(ApplicationIconName(plain), GenericApplicationIconName) << "the theme here has no generic picture";
    setSlot(1, plain);
    FormSettings->ButtonOKClick();
    const QImage onButton = pixels(form.ImageListFilesButtons.at(imageIndex(form.ToolButton1)));
    EXPECT_FALSE(fullyTransparent(onButton));
    // The settings window shows the same picture, not its question mark.
    FormSettings->LoadSettings();
    const QImage inSettings = pixels(FormSettings->ImageApp(1)->pixmap());
    const QImage question = pixels(FormSettings->ImageApp(2)->pixmap());
    EXPECT_FALSE(fullyTransparent(inSettings));
    EXPECT_NE(inSettings, question);
    EXPECT_EQ(inSettings.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
        onButton.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation))
        << "the same picture in both places";
}

INSTANTIATE_TEST_SUITE_P(
    Cells, CellSizeTest, testing::Values(CellCase { 32, false }, CellCase { 40, true }, CellCase { 48, true }));

} // namespace
