#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// What the first paint does not need: binding FreeImage and MediaInfo,
// loading the audio add-ons, listing the output devices and opening the
// output. Each library pulls dozens of others behind it (OpenEXR and libraw,
// libcurl and krb5, pulse and alsa), so the window paints first and a worker
// does these right after. Whatever needs a step sooner runs it on its own
// thread; a step the worker is inside is waited for, so no request is lost
// and nothing runs twice.
class DeferredStartup : public QObject
{
    Q_OBJECT

public:
    explicit DeferredStartup(QObject *parent = nullptr);
    // Waits for the worker: it may be inside a library the process then unloads.
    ~DeferredStartup() override;

    // Before start(): the stored name of the output device (empty for the
    // first real output) and the window the output belongs to.
    void setAudioOutput(const QString &deviceName, void *window);

    // Runs every step on a worker; later calls do nothing.
    void start();
    // Blocks until the worker has finished; returns at once when none runs.
    void wait();
    // Waits for the worker, and no later start() runs one: what it would
    // open is about to be released. A worker still inside a step after
    // limit is stuck in a library for good: the process then ends at once
    // with kStuckExitStatus and a line on stderr naming the step, rather
    // than hang (its caller has stored what it keeps before calling this).
    void shutDown(std::chrono::milliseconds limit = kShutDownLimit);
    static constexpr std::chrono::seconds kShutDownLimit { 5 };
    // Not a success: something the program started never came back.
    static constexpr int kStuckExitStatus = 70;
    // The step the worker is inside, or nullptr between steps and after.
    const char *currentStep() const { return m_step.load(); }

    // The steps. FreeImage and MediaInfo are bound once per process by their
    // own binding; the output is opened once per object.
    void bindFreeImage();
    void bindMediaInfo();
    void openAudioOutput();
    bool audioOutputOpened();

Q_SIGNALS:
    // Emitted on the thread that ran the step: receivers on the GUI thread
    // connect with Qt::QueuedConnection.
    void freeImageBound(bool loaded);
    void audioDevicesListed(const QStringList &names);

private:
    std::mutex m_audioMutex;
    bool m_audioOpened = false;
    QString m_deviceName;
    void *m_window = nullptr;

    // Runs one step with its name published for a stuck worker's report.
    template<typename Step> void runStep(const char *name, Step &&step);
    std::atomic<const char *> m_step { nullptr };

    std::mutex m_workerMutex;
    std::thread m_worker;
    bool m_shutDown = false;
    std::mutex m_doneMutex;
    std::condition_variable m_doneChanged;
    bool m_workerDone = false;
};
