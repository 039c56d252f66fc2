// What start-up leaves until after the first paint: FreeImage, MediaInfo,
// the audio add-ons, the device list and the audio output. The tests run in
// this order in one process, since the libraries stay bound once bound: the
// first finds MediaInfo unbound, the second FreeImage.

#include "app/DeferredStartup.h"

#include "app/Globals.h"
#include "app/Settings.h"
#include "bass.h"
#include "details/MediaInfoLibraryFunctions.h"
#include "imaging/FreeImageLoader.h"
#include "preview/AudioDevices.h"
#include "preview/PreviewWorker.h"
#include "support/TempDir.h"
#include "tests/app/MainWindowTestSupport.h"
#include "tests/bass/BassFixtures.h"
#include "util/FileOperation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <sys/stat.h>

namespace {

bool fullyTransparent(const QPixmap &pixmap)
{
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0)
                return false;
        }
    }
    return true;
}

// The files the process has mapped whose path contains part.
QStringList mappedFiles(const char *part)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return { QStringLiteral("/proc/self/maps unreadable") };
    QStringList files;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        const int at = line.indexOf(part);
        const int path = line.indexOf('/');
        if (at >= 0 && path >= 0 && !files.contains(QString::fromLocal8Bit(line.mid(path))))
            files.append(QString::fromLocal8Bit(line.mid(path)));
    }
    return files;
}

// The image-format plugins of Qt the process has mapped: each drags in a
// codec library (Qt SVG, libjpeg) that the first paint has no use for.
QStringList imageFormatPlugins()
{
    return mappedFiles("/imageformats/");
}

bool deviceIsOpen(DWORD device)
{
    BASS_DEVICEINFO info {};
    return BASS_GetDeviceInfo(device, &info) && (info.flags & BASS_DEVICE_INIT);
}

bool anyDeviceOpen()
{
    BASS_DEVICEINFO info {};
    for (DWORD i = 0; BASS_GetDeviceInfo(i, &info); ++i) {
        if (info.flags & BASS_DEVICE_INIT)
            return true;
    }
    return false;
}

class DeferredStartupTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        bassFixtureDir();
        qputenv("SDL_DISKAUDIOFILE", m_temp.filePath(QStringLiteral("capture.raw")).toLocal8Bit());
    }
    void TearDown() override
    {
        FormSettings = nullptr;
        m_settings.reset();
        MainWindowTest::TearDown();
    }

    // The main window and the hidden settings window, as main() makes them.
    TFormMain &createWindows()
    {
        TFormMain &form = createWindow();
        form.TimerStartup->stop();
        m_settings = std::make_unique<TFormSettings>(&form);
        FormSettings = m_settings.get();
        return form;
    }

    TempDir m_temp;
    std::unique_ptr<TFormSettings> m_settings;
};

TEST_F(DeferredStartupTest, AFileFocusedBeforeTheWorkerGetsItsDetailsAndItsSound)
{
    ASSERT_FALSE(MediaInfoLibraryAvailable()) << "nothing binds MediaInfo before it is needed";
    TFormMain &form = createWindows();
    form.StartDeferredStartupAfterFirstPaint();
    // GIO, with six libraries behind it, waits for the first copy or move
    // (or for the audio add-ons, which need it too), and is bound by the
    // copy's worker, not by the window that sets the copy up.
    {
        const FileOperation copy(FileOperationKind::Copy, { m_temp.filePath(QStringLiteral("a.wav")) }, m_temp.path());
    }
    EXPECT_EQ(mappedFiles("/libgio-2.0"), QStringList());
    // Never shown, so the worker never starts: the focus itself binds.
    form.CheckBoxPreview->setChecked(true);
    const QString file = bassFixture(QStringLiteral("long440.wav"));
    form.DisplayFileDetails(file);
    form.PlayPreviewFile(file);
    form.Preview->waitIdle();
    QCoreApplication::processEvents();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.DetailsPending(); }, 20000));

    EXPECT_TRUE(MediaInfoLibraryAvailable());
    EXPECT_GT(form.ListViewDetails->topLevelItemCount(), 0) << "the details of the first focus are not lost";
    ASSERT_NE(form.PreviewStream, 0u);
    EXPECT_EQ(BASS_ChannelIsActive(form.PreviewStream), DWORD(BASS_ACTIVE_PLAYING));
    EXPECT_TRUE(deviceIsOpen(1)) << "the first real output, as nothing is stored";
}

TEST_F(DeferredStartupTest, NothingIsBoundBeforeTheFirstPaintAndAllRightAfterIt)
{
    ASSERT_FALSE(FreeImageLoaded()) << "nothing binds FreeImage before the first paint";
    writeSetting(QStringLiteral("Audio"), QStringLiteral("Device name"), QStringLiteral("NO SOUND"));
    TFormMain &form = createWindows();
    form.StartDeferredStartupAfterFirstPaint();
    form.DisplayOpenWithButtons();

    EXPECT_FALSE(FreeImageLoaded());
    EXPECT_FALSE(anyDeviceOpen());
    EXPECT_FALSE(m_settings->AudioDevicesListed());
    ASSERT_EQ(form.ImageListFilesButtons.count(), 2);
    EXPECT_TRUE(fullyTransparent(form.ImageListFilesButtons.at(1))) << "a place-holder of the cell's size";
    EXPECT_EQ(form.ImageListFilesButtons.at(1).size(), form.ImageListFilesButtons.cellSize());

    // Taken right after the first paint, before anything queued behind it.
    QStringList pluginsAtFirstPaint { QStringLiteral("no paint") };
    struct FirstPaint : QObject
    {
        QStringList *plugins;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint && plugins) {
                QTimer::singleShot(0, this, [list = plugins] { *list = imageFormatPlugins(); });
                plugins = nullptr;
            }
            return false;
        }
    } firstPaint;
    firstPaint.plugins = &pluginsAtFirstPaint;
    form.installEventFilter(&firstPaint);
    form.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_settings->AudioDevicesListed(); }, 10000));
    EXPECT_EQ(pluginsAtFirstPaint, QStringList()) << "an image file was decoded for the first paint";
    form.removeEventFilter(&firstPaint);
    form.DeferredLoading->wait();
    // The worker's last results arrive as queued calls.
    QCoreApplication::processEvents();

    EXPECT_TRUE(FreeImageLoaded());
    EXPECT_TRUE(MediaInfoLibraryAvailable());
    EXPECT_EQ(m_settings->ComboBoxAudioDevice->count(), AudioDevices::List().size());
    EXPECT_EQ(m_settings->ComboBoxAudioDevice->currentIndex(), 0) << "the stored name, without regard to case";
    EXPECT_TRUE(deviceIsOpen(0)) << "the output opens on the stored device";
    for (int i = 0; i < 2; ++i)
        EXPECT_FALSE(fullyTransparent(form.ImageListFilesButtons.at(i))) << "stock image " << i;
    EXPECT_FALSE(fullyTransparent(form.ToolButton4->icon().pixmap(form.ImageListFilesButtons.cellSize())))
        << "the toolbar shows the picture, not the place-holder";
    EXPECT_FALSE(fullyTransparent(form.ToolButton1->icon().pixmap(form.ImageListFilesButtons.cellSize())));
}

TEST_F(DeferredStartupTest, TheSettingsWindowListsTheDevicesWhenItOpensFirst)
{
    writeSetting(QStringLiteral("Audio"), QStringLiteral("Device name"), QStringLiteral("no sound"));
    TFormMain &form = createWindows();
    form.StartDeferredStartupAfterFirstPaint();
    ASSERT_FALSE(m_settings->AudioDevicesListed());
    m_settings->show();
    EXPECT_TRUE(m_settings->AudioDevicesListed());
    EXPECT_EQ(m_settings->ComboBoxAudioDevice->currentIndex(), 0);
    // The user's choice in the open window stays when the worker's list comes.
    m_settings->ComboBoxAudioDevice->setCurrentIndex(1);
    form.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return anyDeviceOpen(); }, 10000));
    form.DeferredLoading->wait();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_settings->ComboBoxAudioDevice->currentIndex(), 1);
    m_settings->hide();
}

TEST_F(DeferredStartupTest, ClosingWhileTheWorkerRunsWaitsForIt)
{
    for (int round = 0; round < 3; ++round) {
        TFormMain &form = createWindows();
        form.StartDeferredStartupAfterFirstPaint();
        form.show();
        // Let the first paint happen and the worker start, then close at once.
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
        QCoreApplication::processEvents();
        FormSettings = nullptr;
        m_settings.reset();
        FormMain = nullptr;
        m_form.reset();
        // Queued results of the gone window are dropped.
        QCoreApplication::processEvents();
        EXPECT_FALSE(anyDeviceOpen()) << round;
    }
}

// A worker stuck in a library for good does not keep a closed program
// running, nor reports that as a success: the output here is SDL's disk
// driver writing into a named pipe nobody reads, whose opening never returns.
TEST(DeferredStartupStuck, ClosingEndsTheProcessWithAFailureWhenTheWorkerNeverReturns)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const TempDir temp;
    const QString pipe = temp.filePath(QStringLiteral("capture.raw"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_EXIT(
        {
            qputenv("SDL_AUDIODRIVER", "disk");
            qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(pipe));
            DeferredStartup startup;
            startup.start();
            const auto inOutput = [&startup] {
                const char *step = startup.currentStep();
                return step && std::string_view(step) == "opening the audio output";
            };
            if (!QTest::qWaitFor(inOutput, 10000)) {
                std::fputs("the worker never reached the output", stderr);
                std::exit(4);
            }
            startup.shutDown(std::chrono::milliseconds(300));
            std::fputs("shutDown returned", stderr);
            std::exit(3);
        },
        ::testing::ExitedWithCode(DeferredStartup::kStuckExitStatus),
        "start-up worker is stuck opening the audio output");
}

} // namespace
