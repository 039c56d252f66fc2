// The main window's transport: it follows the preview, the bar seeks, the
// loop switch is stored and reaches the stream, and opening a file in the
// browser plays it again from its start.

#include "app/Globals.h"
#include "app/SeekSlider.h"
#include "app/TransportIcons.h"
#include "app/VantrelApplication.h"
#include "bass.h"
#include "browser/BrivaneDialogsDefs.h"
#include "preview/PreviewWorker.h"
#include "support/TempDir.h"
#include "tests/app/MainWindowTestSupport.h"
#include "tests/bass/BassFixtures.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <QToolButton>

namespace {

class MainWindowTransport : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ShowTreeViewHint = false;
        bassFixtureDir();
        qputenv("SDL_DISKAUDIOFILE", m_temp.filePath(QStringLiteral("capture.raw")).toLocal8Bit());
    }

    // The worker ran every request; the window then shows its fresh reading.
    static void settle(TFormMain &form)
    {
        form.Preview->waitIdle();
        QCoreApplication::processEvents();
        form.TimerTransportTimer();
        form.Preview->waitIdle();
        form.TimerTransportTimer();
        QCoreApplication::processEvents();
    }

    static void sendFileEvent(TFormMain &form, std::uint32_t event, const QString &file)
    {
        const std::u16string name = file.toStdU16String();
        TBDFocusedItem item { name.c_str(), nullptr };
        form.HandleBrivaneDialogsEvent(event, reinterpret_cast<std::uintptr_t>(&item));
    }

    void closeWindow()
    {
        static_cast<VantrelApplication *>(qApp)->setActionManager(nullptr);
        FormMain = nullptr;
        m_form.reset();
    }

    // Playing, or waiting for its decoder on a busy machine.
    static bool isPlaying(std::uint32_t stream)
    {
        const DWORD state = BASS_ChannelIsActive(stream);
        return state == BASS_ACTIVE_PLAYING || state == BASS_ACTIVE_STALLED;
    }

    static double positionOf(std::uint32_t stream)
    {
        return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream, BASS_POS_BYTE));
    }

    TempDir m_temp;
};

TEST_F(MainWindowTransport, OpeningAFilePlaysItAgainFromItsStartWhateverThePreviewSwitch)
{
    for (const bool previewOnSelect : { false, true }) {
        SCOPED_TRACE(previewOnSelect);
        TFormMain &form = createWindow();
        form.EnsureAudioOutput();
        form.CheckBoxPreview->setChecked(previewOnSelect);
        const QString file = bassFixture(QStringLiteral("ladder.wav"));
        sendFileEvent(form, bdEventFocusChanged, file);
        settle(form);
        EXPECT_EQ(form.PreviewStream != 0, previewOnSelect) << "focus plays only with the switch on";

        sendFileEvent(form, bdEventFileActivated, file);
        settle(form);
        const std::uint32_t first = form.PreviewStream;
        ASSERT_NE(first, 0u);
        // Further into the file through a click on the bar.
        form.ActionSpaceBar->trigger(); // paused, so the position stays put
        SeekSlider *bar = form.TrackBarPosition;
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() * 3 / 4, bar->height() / 2));
        settle(form);
        EXPECT_GT(bar->value(), 1000);
        EXPECT_NEAR(positionOf(first), bar->value() / 1000.0, 0.001);

        sendFileEvent(form, bdEventFileActivated, file);
        settle(form);
        ASSERT_NE(form.PreviewStream, 0u);
        EXPECT_NE(form.PreviewStream, first);
        EXPECT_TRUE(isPlaying(form.PreviewStream));
        EXPECT_LT(positionOf(form.PreviewStream), 0.5) << "from the start again";
        closeWindow();
    }
}

TEST_F(MainWindowTransport, SpacePlaysTheFocusedFileWhenNothingPlaysAndShiftArrowsSeekByFiveSeconds)
{
    TFormMain &form = createWindow();
    form.EnsureAudioOutput();
    form.CheckBoxPreview->setChecked(false);
    sendFileEvent(form, bdEventFocusChanged, bassFixture(QStringLiteral("ten-marked.wav")));
    settle(form);
    ASSERT_EQ(form.PreviewStream, 0u);

    form.ActionSpaceBar->trigger();
    settle(form);
    const std::uint32_t stream = form.PreviewStream;
    ASSERT_NE(stream, 0u) << "nothing played, so Space plays the focused file";
    EXPECT_TRUE(isPlaying(stream));
    form.ActionSpaceBar->trigger();
    settle(form);
    ASSERT_EQ(BASS_ChannelIsActive(stream), DWORD(BASS_ACTIVE_PAUSED)) << "now it pauses";
    EXPECT_EQ(form.PreviewStream, stream);

    // Paused, so each place reached stays put; the file is ten seconds long
    // and a seek never goes past its last moment or before its start.
    const double start = positionOf(stream);
    const struct
    {
        QAction *action;
        double expected;
    } steps[] = {
        { form.ActionSeekForward, start + 5 },
        { form.ActionSeekForward, 9.999 },
        { form.ActionSeekBack, 4.999 },
        { form.ActionSeekBack, 0 },
    };
    for (const auto &step : steps) {
        step.action->trigger();
        settle(form);
        EXPECT_NEAR(positionOf(stream), step.expected, 0.01) << step.action->objectName().toStdString();
    }
    EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD(BASS_ACTIVE_PAUSED));
    closeWindow();
}

TEST_F(MainWindowTransport, ShowsStateAndTimesAndAClickOnTheBarSeeks)
{
    TFormMain &form = createWindow();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.EnsureAudioOutput();
    // The button's face follows the state: play while it would start, pause while it plays.
    const auto shows = [&form](TransportIcon face) {
        return form.ButtonPlayPause->icon().cacheKey() == transportIcon(face).cacheKey();
    };
    EXPECT_EQ(form.ButtonPlayPause->accessibleDescription(), QStringLiteral("Stopped"));
    EXPECT_TRUE(shows(TransportIcon::Play));
    EXPECT_EQ(form.LabelTotal->text(), QStringLiteral("0:00.0"));

    form.PlayPreviewFile(bassFixture(QStringLiteral("ladder.flac")));
    settle(form);
    EXPECT_EQ(form.ButtonPlayPause->accessibleDescription(), QStringLiteral("Playing"));
    EXPECT_TRUE(form.ButtonPlayPause->isChecked());
    EXPECT_TRUE(shows(TransportIcon::Pause));
    EXPECT_EQ(form.LabelTotal->text(), QStringLiteral("0:02.0"));
    EXPECT_EQ(form.TrackBarPosition->maximum(), 2000);

    form.ActionSpaceBar->trigger();
    settle(form);
    EXPECT_EQ(form.ButtonPlayPause->accessibleDescription(), QStringLiteral("Paused"));
    EXPECT_FALSE(form.ButtonPlayPause->isChecked());
    EXPECT_TRUE(shows(TransportIcon::Play));

    // Three quarters along the bar's track: there, not a page step towards it.
    SeekSlider *bar = form.TrackBarPosition;
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() * 3 / 4, bar->height() / 2));
    settle(form);
    const double asked = bar->value() / 1000.0;
    EXPECT_NEAR(asked, 1.5, 0.2);
    EXPECT_NEAR(positionOf(form.PreviewStream), asked, 0.001);
    EXPECT_EQ(form.LabelElapsed->text(), QStringLiteral("0:0%1.%2").arg(int(asked)).arg(int(asked * 10) % 10));
    EXPECT_EQ(BASS_ChannelIsActive(form.PreviewStream), DWORD(BASS_ACTIVE_PAUSED)) << "a seek keeps the pause";

    // The button resumes as the space bar does, and shows pause again.
    QTest::mouseClick(form.ButtonPlayPause, Qt::LeftButton);
    settle(form);
    EXPECT_TRUE(isPlaying(form.PreviewStream));
    EXPECT_TRUE(shows(TransportIcon::Pause));
    QTest::mouseClick(form.ButtonPlayPause, Qt::LeftButton);
    settle(form);
    EXPECT_FALSE(isPlaying(form.PreviewStream));
    EXPECT_TRUE(shows(TransportIcon::Play)) << "paused by a click";
}

// Only the user's own actions seek: a new, shorter range pulls the value in
// (a short file focused while a long one played) and a shown position moves
// it, and neither may ask for a seek, which cut the short file off at its end.
TEST(SeekSliderTest, OnlyTheUsersActionsAskForASeek)
{
    SeekSlider bar;
    bar.resize(200, 20);
    QList<int> asked;
    QObject::connect(&bar, &SeekSlider::seekRequested, [&](int value) { asked.append(value); });
    bar.setRange(0, 10000);
    bar.showPosition(3000);
    bar.setRange(0, 2000); // clamps the shown 3000 to 2000
    bar.setRange(0, 400);
    bar.showPosition(100);
    EXPECT_EQ(bar.value(), 100);
    EXPECT_TRUE(asked.isEmpty()) << asked.size() << " seeks asked without the user";

    bar.setFocus();
    QTest::keyClick(&bar, Qt::Key_Right);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(bar.width() - 2, bar.height() / 2));
    ASSERT_FALSE(asked.isEmpty());
    EXPECT_EQ(asked.first(), 100 + bar.singleStep());
    EXPECT_EQ(asked.last(), bar.value());
    EXPECT_GT(bar.value(), 300) << "a click near the end goes there";
}

TEST_F(MainWindowTransport, LoopIsStoredAndReachesThePlayingPreview)
{
    const struct
    {
        const char *stored;
        bool checked;
    } cases[] = { { nullptr, false }, { "1", true }, { "0", false } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "none");
        QFile::remove(m_settingsPath);
        if (c.stored)
            writeSetting(QStringLiteral("Settings"), QStringLiteral("Preview loop"), QString::fromLatin1(c.stored));
        TFormMain &form = createWindow();
        EXPECT_EQ(form.CheckBoxLoop->isChecked(), c.checked);

        form.EnsureAudioOutput();
        form.PlayPreviewFile(bassFixture(QStringLiteral("ladder.wav")));
        settle(form);
        EXPECT_EQ((BASS_ChannelFlags(form.PreviewStream, 0, 0) & BASS_SAMPLE_LOOP) != 0, c.checked);
        form.CheckBoxLoop->setChecked(!c.checked);
        settle(form);
        EXPECT_EQ((BASS_ChannelFlags(form.PreviewStream, 0, 0) & BASS_SAMPLE_LOOP) != 0, !c.checked);

        EXPECT_TRUE(form.SaveSettings());
        EXPECT_EQ(readSetting(QStringLiteral("Settings"), QStringLiteral("Preview loop")),
            c.checked ? QStringLiteral("0") : QStringLiteral("1"));
        closeWindow();
    }
}

// Both faces show at every size the scaled button asks for, and tell play
// from pause; a size asked for again comes from the cache.
TEST(TransportIcons, BothFacesShowAtEverySizeAndDiffer)
{
    for (const int side : { 16, 24, 32, 48 }) {
        SCOPED_TRACE(side);
        const QImage play = transportIcon(TransportIcon::Play).pixmap(side, side).toImage();
        const QImage pause = transportIcon(TransportIcon::Pause).pixmap(side, side).toImage();
        ASSERT_EQ(play.size(), QSize(side, side));
        ASSERT_EQ(pause.size(), QSize(side, side));
        int inked = 0;
        for (const QImage *face : { &play, &pause }) {
            for (int y = 0; y < side; ++y) {
                for (int x = 0; x < side; ++x)
                    inked += qAlpha(face->pixel(x, y)) > 128;
            }
        }
        EXPECT_GT(inked, side * side / 4) << "both faces drawn";
        EXPECT_NE(play, pause);
        EXPECT_EQ(transportIcon(TransportIcon::Play).pixmap(side, side).cacheKey(),
            transportIcon(TransportIcon::Play).pixmap(side, side).cacheKey());
    }
}

} // namespace

// The desktop's icon theme supplies the faces, but only after the window's
// first paint: a theme lookup before it delayed the window by milliseconds.
TEST_F(MainWindowTransport, ThemeFacesArriveAfterTheFirstPaint)
{
    const QString theme = m_temp.filePath(QStringLiteral("icons"));
    const QString actions = theme + QStringLiteral("/test-theme/16x16/actions");
    ASSERT_TRUE(QDir().mkpath(actions));
    QFile index(theme + QStringLiteral("/test-theme/index.theme"));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=Test\nDirectories=16x16/actions\n\n[16x16/actions]\nSize=16\nType=Fixed\n");
    index.close();
    for (const char *name : { "media-playback-start", "media-playback-pause" }) {
        QImage face(16, 16, QImage::Format_ARGB32);
        face.fill(Qt::red);
        ASSERT_TRUE(face.save(actions + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png")));
    }
    const QStringList savedPaths = QIcon::themeSearchPaths();
    const QString savedTheme = QIcon::themeName();
    QIcon::setThemeSearchPaths({ theme });
    QIcon::setThemeName(QStringLiteral("test-theme"));

    TFormMain &form = createWindow();
    EXPECT_TRUE(form.ButtonPlayPause->icon().name().isEmpty()) << "looked up before the first paint";
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(QTest::qWaitFor(
        [&form] { return form.ButtonPlayPause->icon().name() == QStringLiteral("media-playback-start"); }));
    EXPECT_EQ(transportIcon(TransportIcon::Pause).name(), QStringLiteral("media-playback-pause"));

    closeWindow();
    QIcon::setThemeSearchPaths(savedPaths);
    QIcon::setThemeName(savedTheme);
    // The drawn faces come back for the tests that follow.
    adoptThemedTransportIcons();
    EXPECT_TRUE(transportIcon(TransportIcon::Play).name().isEmpty());
}
