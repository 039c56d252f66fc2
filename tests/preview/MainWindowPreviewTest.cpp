// The main window's preview handlers: the volume label and track, the
// preview switch, the space bar, and the output's life with the window.

#include "app/Globals.h"
#include "app/Settings.h"
#include "app/VantrelApplication.h"
#include "bass.h"
#include "browser/BrivaneDialogsDefs.h"
#include "preview/PreviewWorker.h"
#include "support/TempDir.h"
#include "tests/app/MainWindowTestSupport.h"
#include "tests/bass/BassFixtures.h"
#include "tests/bass/HostileAudioFiles.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QTimer>

#include <chrono>
#include <thread>

using namespace std::chrono_literals;

namespace {

class MainWindowPreview : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // No modal hint window in the way of these tests.
        ShowTreeViewHint = false;
        bassFixtureDir();
        m_capture = m_temp.filePath(QStringLiteral("capture.raw"));
        qputenv("SDL_DISKAUDIOFILE", m_capture.toLocal8Bit());
    }
    void TearDown() override
    {
        FormSettings = nullptr; // a test's own settings window is gone by now
        MainWindowTest::TearDown();
    }

    TempDir m_temp;
    QString m_capture;
};

bool isGone(std::uint32_t stream)
{
    BASS_ChannelIsActive(stream);
    return BASS_ErrorGetCode() == BASS_ERROR_HANDLE;
}

// The preview's requests have run on its worker and their results reached
// the window.
void settle(TFormMain &form)
{
    form.Preview->waitIdle();
    QCoreApplication::processEvents();
}

TEST_F(MainWindowPreview, LabelShowsThePositionWithAPercentSign)
{
    TFormMain &form = createWindow();
    EXPECT_EQ(form.LabelVolumeValue->text(), QStringLiteral("100%"));
    for (const int position : { 0, 7, 55, 100 }) {
        form.TrackBarVolume->setValue(position);
        EXPECT_EQ(form.LabelVolumeValue->text(), QString::number(position) + QLatin1Char('%'));
    }
}

TEST_F(MainWindowPreview, StoredVolumeShowsInTheLabelFromTheStart)
{
    writeSetting(QStringLiteral("Settings"), QStringLiteral("Preview volume"), QStringLiteral("40"));
    TFormMain &form = createWindow();
    EXPECT_EQ(form.TrackBarVolume->value(), 40);
    EXPECT_EQ(form.LabelVolumeValue->text(), QStringLiteral("40%"));
}

TEST_F(MainWindowPreview, PlaySpaceAndSwitchOff)
{
    TFormMain &form = createWindow();
    form.EnsureAudioOutput();
    // Space before any preview does nothing.
    form.ActionSpaceBar->trigger();
    EXPECT_EQ(form.PreviewStream, 0u);

    form.CheckBoxPreview->setChecked(true);
    EXPECT_EQ(form.PreviewStream, 0u) << "ticking the box plays nothing by itself";
    form.PlayPreviewFile(bassFixture(QStringLiteral("long440.wav")));
    settle(form);
    const std::uint32_t first = form.PreviewStream;
    ASSERT_NE(first, 0u);
    EXPECT_EQ(BASS_ChannelIsActive(first), DWORD(BASS_ACTIVE_PLAYING));

    form.ActionSpaceBar->trigger();
    settle(form);
    EXPECT_EQ(BASS_ChannelIsActive(first), DWORD(BASS_ACTIVE_PAUSED));
    form.ActionSpaceBar->trigger();
    settle(form);
    EXPECT_EQ(BASS_ChannelIsActive(first), DWORD(BASS_ACTIVE_PLAYING));

    // Paused, then another file: the paused one is freed, the new one plays.
    form.ActionSpaceBar->trigger();
    settle(form);
    form.PlayPreviewFile(bassFixture(QStringLiteral("long440.wav")));
    settle(form);
    EXPECT_TRUE(isGone(first));
    const std::uint32_t second = form.PreviewStream;
    EXPECT_EQ(BASS_ChannelIsActive(second), DWORD(BASS_ACTIVE_PLAYING));

    form.CheckBoxPreview->setChecked(false);
    settle(form);
    EXPECT_TRUE(isGone(second));
    // A file that cannot be played leaves the handle 0.
    form.PlayPreviewFile(m_temp.write(QStringLiteral("broken.flac"), "no audio here"));
    settle(form);
    EXPECT_EQ(form.PreviewStream, 0u);
}

bool deviceIsOpen(DWORD device)
{
    BASS_DEVICEINFO info {};
    return BASS_GetDeviceInfo(device, &info) && (info.flags & BASS_DEVICE_INIT);
}

// The output opens on the program's own path on the device the settings
// name, in any letter case; a name no device has any more, or none, is the
// first real output.
TEST_F(MainWindowPreview, OutputOpensOnTheDeviceTheSettingsName)
{
    BASS_DEVICEINFO noSound {};
    BASS_DEVICEINFO firstOutput {};
    ASSERT_TRUE(BASS_GetDeviceInfo(0, &noSound));
    ASSERT_TRUE(BASS_GetDeviceInfo(1, &firstOutput));
    struct Case
    {
        QString stored;
        DWORD device;
    };
    const Case cases[] = { { QString::fromUtf8(noSound.name), 0 }, { QString::fromUtf8(noSound.name).toUpper(), 0 },
        { QString::fromUtf8(firstOutput.name), 1 }, { QString(), 1 },
        { QStringLiteral("A device that went away"), 1 } };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored.toStdString());
        writeSetting(QStringLiteral("Audio"), QStringLiteral("Device name"), c.stored);
        TFormMain &form = createWindow();
        TFormSettings settings(&form);
        FormSettings = &settings;
        form.EnsureAudioOutput();
        EXPECT_TRUE(deviceIsOpen(c.device));
        EXPECT_FALSE(deviceIsOpen(1 - c.device));
        FormSettings = nullptr;
        BASS_Free();
    }
}

TEST_F(MainWindowPreview, WithoutAnyAudioDeviceThePreviewStaysSilent)
{
    const QByteArray driver = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    TFormMain &form = createWindow();
    form.EnsureAudioOutput();
    form.CheckBoxPreview->setChecked(true);
    form.PlayPreviewFile(bassFixture(QStringLiteral("short440.wav")));
    settle(form);
    EXPECT_EQ(form.PreviewStream, 0u);
    form.ActionSpaceBar->trigger();
    form.TrackBarVolume->setValue(30);
    EXPECT_EQ(form.LabelVolumeValue->text(), QStringLiteral("30%"));
    qputenv("SDL_AUDIODRIVER", driver);
}

TEST_F(MainWindowPreview, SliderChangesTheVolumeOfThePlayingPreviewAtOnce)
{
    TFormMain &form = createWindow();
    form.EnsureAudioOutput();
    form.PlayPreviewFile(bassFixture(QStringLiteral("level440.wav")));
    settle(form);
    ASSERT_NE(form.PreviewStream, 0u);
    ASSERT_TRUE(waitForCapturedAudio(500ms));
    form.TrackBarVolume->setValue(50);
    const std::uint32_t stream = form.PreviewStream;
    const auto until = std::chrono::steady_clock::now() + 10s;
    while (!isGone(stream) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(isGone(stream));

    // Destroying the window releases the output, which writes out the capture.
    static_cast<VantrelApplication *>(qApp)->setActionManager(nullptr);
    FormMain = nullptr;
    m_form.reset();
    std::vector<double> levels;
    for (const Slice &slice : slices(readCapture(m_capture).left)) {
        if (!slice.silent())
            levels.push_back(slice.rms);
    }
    ASSERT_GT(levels.size(), 100u);
    EXPECT_NEAR(levels[5], 0.3536, 0.01);
    EXPECT_NEAR(levels[levels.size() - 5] / levels[5], 0.5, 0.02);
    // The output is free again: it can be opened anew.
    EXPECT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    BASS_Free();
}

TEST_F(MainWindowPreview, RapidFocusChangesEndWithTheLastFilePlayingAndSpaceReachesIt)
{
    TFormMain &form = createWindow();
    form.EnsureAudioOutput();
    form.CheckBoxPreview->setChecked(true);
    QStringList files;
    for (int i = 0; i < 20; ++i) {
        files << m_temp.filePath(QStringLiteral("f%1.wav").arg(i));
        ASSERT_TRUE(QFile::copy(bassFixture(QStringLiteral("long440.wav")), files.last()));
    }
    QList<std::uint32_t> streams;
    QString lastPlayed;
    QObject::connect(form.Preview, &PreviewWorker::played, &form, [&](std::uint32_t stream, const QString &name) {
        streams << stream;
        lastPlayed = name;
    });
    for (const QString &file : files) {
        const std::u16string name = file.toStdU16String();
        TBDFocusedItem item { name.c_str(), nullptr };
        form.HandleBrivaneDialogsEvent(bdEventFocusChanged, reinterpret_cast<std::uintptr_t>(&item));
    }
    // Space right after the last focus change pauses that file, not one before.
    form.ActionSpaceBar->trigger();
    settle(form);
    EXPECT_EQ(lastPlayed, files.last());
    ASSERT_FALSE(streams.isEmpty());
    EXPECT_EQ(form.PreviewStream, streams.last());
    EXPECT_EQ(BASS_ChannelIsActive(streams.last()), DWORD(BASS_ACTIVE_PAUSED));
    for (int i = 0; i + 1 < streams.size(); ++i)
        EXPECT_TRUE(isGone(streams[i])) << i;
}

TEST_F(MainWindowPreview, EventLoopKeepsTurningWhileHostileFilesAreFocused)
{
    TFormMain &form = createWindow();
    form.EnsureAudioOutput();
    form.CheckBoxPreview->setChecked(true);
    int ticks = 0;
    QTimer zero;
    zero.setInterval(0);
    QObject::connect(&zero, &QTimer::timeout, [&] { ++ticks; });
    zero.start();
    const std::string folder = QFile::encodeName(m_temp.path()).toStdString();
    for (const hostile::File &file : hostile::files()) {
        SCOPED_TRACE(file.what);
        const QString path = QFile::decodeName(hostile::write(folder, file.name).c_str());
        ASSERT_FALSE(path.isEmpty());
        QSignalSpy played(form.Preview, &PreviewWorker::played);
        const std::u16string name = path.toStdU16String();
        TBDFocusedItem item { name.c_str(), nullptr };
        form.HandleBrivaneDialogsEvent(bdEventFocusChanged, reinterpret_cast<std::uintptr_t>(&item));
        // The focus handler is back before the file has been looked at; the
        // answer arrives through the event loop, which meanwhile keeps
        // serving the timer.
        const int ticksAtReturn = ticks;
        ASSERT_TRUE(played.wait(30000));
        EXPECT_GT(ticks, ticksAtReturn);
        EXPECT_EQ(played.first().first().value<std::uint32_t>(), 0u);
        EXPECT_EQ(form.PreviewStream, 0u);
        QFile::remove(path);
    }
}

} // namespace
