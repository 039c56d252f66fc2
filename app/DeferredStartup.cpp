#include "app/DeferredStartup.h"

#include "details/MediaInfoLibraryFunctions.h"
#include "imaging/FreeImageLoader.h"
#include "platform/GioLibrary.h"
#include "preview/AudioDevices.h"
#include "preview/PreviewPlayer.h"

#include <cstdio>
#include <cstdlib>

DeferredStartup::DeferredStartup(QObject *parent)
    : QObject(parent)
{ }

DeferredStartup::~DeferredStartup()
{
    shutDown();
}

void DeferredStartup::setAudioOutput(const QString &deviceName, void *window)
{
    const std::lock_guard lock(m_audioMutex);
    m_deviceName = deviceName;
    m_window = window;
}

void DeferredStartup::start()
{
    const std::lock_guard lock(m_workerMutex);
    if (m_worker.joinable() || m_shutDown)
        return;
    m_worker = std::thread([this] {
        // The toolbar's stock images wait for FreeImage; the details and the
        // sound wait for the others only at the first focus.
        runStep("binding FreeImage", [this] { bindFreeImage(); });
        runStep("opening the audio output", [this] { openAudioOutput(); });
        runStep("binding MediaInfo", [this] { bindMediaInfo(); });
        // The file layer of copy and move, so the first copy does not bind
        // it on the GUI thread.
        runStep("binding GIO", [] { (void)gio::available(); });
        const std::lock_guard done(m_doneMutex);
        m_workerDone = true;
        m_doneChanged.notify_all();
    });
}

template<typename Step> void DeferredStartup::runStep(const char *name, Step &&step)
{
    m_step = name;
    step();
    m_step = nullptr;
}

void DeferredStartup::wait()
{
    const std::lock_guard lock(m_workerMutex);
    if (m_worker.joinable())
        m_worker.join();
}

void DeferredStartup::shutDown(std::chrono::milliseconds limit)
{
    const std::lock_guard lock(m_workerMutex);
    m_shutDown = true;
    if (!m_worker.joinable())
        return;
    std::unique_lock done(m_doneMutex);
    if (!m_doneChanged.wait_for(done, limit, [this] { return m_workerDone; })) {
        // A library call that never returns (seen once: SDL waiting for the
        // D-Bus helper it forked). What the worker is inside cannot be
        // released, and waiting would keep a closed program running for
        // good. The caller stored the settings and the browser's state
        // first; the status says the exit was not clean.
        const char *step = m_step.load();
        std::fprintf(stderr, "vantrel: the start-up worker is stuck %s; ending without it\n",
            step ? step : "after its last step");
        std::fflush(stderr);
        std::_Exit(kStuckExitStatus);
    }
    done.unlock();
    m_worker.join();
}

void DeferredStartup::bindFreeImage()
{
    Q_EMIT freeImageBound(LoadFreeImageLibrary());
}

void DeferredStartup::bindMediaInfo()
{
    InitializeMediaInfoLibraryFunctions();
}

void DeferredStartup::openAudioOutput()
{
    QStringList names;
    {
        const std::lock_guard lock(m_audioMutex);
        if (m_audioOpened)
            return;
        m_audioOpened = true;
        // The add-ons load before the output opens, as they always did.
        PreviewPlayer::LoadAddOns();
        names = AudioDevices::List();
        PreviewPlayer::OpenOutput(AudioDevices::Choose(names, m_deviceName), m_window);
    }
    Q_EMIT audioDevicesListed(names);
}

bool DeferredStartup::audioOutputOpened()
{
    const std::lock_guard lock(m_audioMutex);
    return m_audioOpened;
}
