#include "AudioProperties.h"

#include "WaveformModule.h"
#include "waveform/ProbeApi.h"
#include "waveform/WaveformApi.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QPointer>
#include <QRunnable>
#include <QThread>

#include <atomic>
#include <deque>
#include <mutex>

namespace bd {

namespace {

// Two readers keep a page of rows coming quickly without taking every core
// from the listing and the waveforms.
constexpr int kReaders = 2;
// Readings go to the GUI in small groups, so a page fills at once instead of
// one repaint per file.
constexpr int kReadingsPerDelivery = 8;
constexpr qint64 kDeliveryIntervalMs = 40;

BrivaneDialogsWaveform_ProbeProc probeProc()
{
    static const auto proc
        = reinterpret_cast<BrivaneDialogsWaveform_ProbeProc>(waveformModuleSymbol(kWaveformProbeSymbol));
    return proc;
}

QString keyOf(const AudioFile &file)
{
    return file.path + u'\n' + QString::number(file.size) + u'\n' + QString::number(file.modified);
}

// Every file read in this process: a folder seen again fills at once.
struct Cache
{
    QMutex mutex;
    QHash<QString, AudioReading> readings;
    // Probes that ran out of time. A busy machine can make a sound file miss
    // its budget, so such a file is tried again when it is next on screen;
    // one that keeps missing it is taken as unreadable, so a hostile file
    // does not cost a reader its budget at every scroll.
    QHash<QString, int> timeouts;
};

constexpr int kTimeoutsBeforeGivingUp = 3;

Cache &cache()
{
    static Cache instance;
    return instance;
}

AudioReading readFile(const AudioFile &file, const volatile int *cancel)
{
    AudioReading reading { file, false, {} };
    BrivaneDialogsWaveform_ProbeProc probe = probeProc();
    if (!probe)
        return reading;
    BrivaneDialogsAudioInfo info {};
    const QByteArray encoded = QFile::encodeName(file.path);
    if (probe(encoded.constData(), &info, AudioProperties::kBudgetPerFileMs, cancel) == 0)
        return reading;
    auto narrow = [](std::int64_t value, std::int64_t most) { return value < 0 || value > most ? -1 : value; };
    reading.readable = true;
    reading.details.durationMs = std::int32_t(narrow(info.durationMs, INT32_MAX));
    reading.details.durationEstimated = info.durationEstimated != 0 && reading.details.durationMs >= 0;
    reading.details.sampleRate = info.sampleRate;
    reading.details.bitRate = info.bitRate;
    reading.details.bitDepth = std::int16_t(narrow(info.bitDepth, INT16_MAX));
    reading.details.channels = std::int16_t(narrow(info.channels, INT16_MAX));
    return reading;
}

} // namespace

struct AudioProperties::Queue
{
    std::mutex mutex;
    std::deque<AudioFile> files;
    quint64 generation = 0;
    int draining = 0;
    std::atomic<int> stop { 0 };
};

struct AudioProperties::Drain : QRunnable
{
    std::shared_ptr<Queue> queue;
    QPointer<AudioProperties> owner;

    void run() override
    {
        static_assert(sizeof(std::atomic<int>) == sizeof(int));
        const auto *cancel = reinterpret_cast<const volatile int *>(&queue->stop);
        QVector<AudioReading> batch;
        QElapsedTimer sinceDelivery;
        sinceDelivery.start();
        auto flush = [&] {
            if (!batch.isEmpty())
                post(std::move(batch));
            batch.clear();
            sinceDelivery.restart();
        };
        for (;;) {
            AudioFile file;
            {
                std::lock_guard lock(queue->mutex);
                if (queue->stop || queue->files.empty()) {
                    --queue->draining;
                    break;
                }
                file = std::move(queue->files.front());
                queue->files.pop_front();
            }
            std::optional<AudioReading> reading = cached(file);
            if (!reading) {
                QElapsedTimer probing;
                probing.start();
                reading = readFile(file, cancel);
                if (queue->stop)
                    break;
                const bool timedOut = !reading->readable && probing.elapsed() >= AudioProperties::kBudgetPerFileMs;
                const QString key = keyOf(file);
                const QMutexLocker lock(&cache().mutex);
                if (!timedOut || ++cache().timeouts[key] >= kTimeoutsBeforeGivingUp)
                    cache().readings.insert(key, *reading);
            }
            batch.append(std::move(*reading));
            if (batch.size() >= kReadingsPerDelivery || sinceDelivery.elapsed() >= kDeliveryIntervalMs)
                flush();
        }
        flush();
    }

    void post(QVector<AudioReading> readings)
    {
        QPointer<AudioProperties> target = owner;
        QMetaObject::invokeMethod(
            target,
            [target, readings = std::move(readings)] {
                if (target)
                    Q_EMIT target->read(readings);
            },
            Qt::QueuedConnection);
    }
};

AudioProperties::AudioProperties(QObject *parent)
    : QObject(parent)
    , m_queue(std::make_shared<Queue>())
{
    m_pool.setMaxThreadCount(kReaders);
    // Listing and painting come first; the columns fill in the time left.
    m_pool.setThreadPriority(QThread::LowPriority);
    m_pool.setObjectName(QStringLiteral("BrivaneDialogs audio details"));
}

AudioProperties::~AudioProperties()
{
    {
        std::lock_guard lock(m_queue->mutex);
        m_queue->stop = 1;
        m_queue->files.clear();
    }
    // Each reader is at most one budget away from seeing the stop.
    m_pool.waitForDone();
}

std::optional<AudioReading> AudioProperties::cached(const AudioFile &file)
{
    const QMutexLocker lock(&cache().mutex);
    const auto found = cache().readings.constFind(keyOf(file));
    if (found == cache().readings.cend())
        return std::nullopt;
    return *found;
}

void AudioProperties::request(QVector<AudioFile> files)
{
    int toStart = 0;
    {
        std::lock_guard lock(m_queue->mutex);
        // The newest request wins: what the last one still had waiting is
        // dropped. Readings already under way are still true of their files
        // and are delivered; rows that went away simply ignore them.
        ++m_queue->generation;
        m_queue->files.assign(std::make_move_iterator(files.begin()), std::make_move_iterator(files.end()));
        toStart = std::min<int>(kReaders, int(m_queue->files.size())) - m_queue->draining;
        m_queue->draining += std::max(0, toStart);
    }
    for (int i = 0; i < toStart; ++i) {
        auto *drain = new Drain;
        drain->queue = m_queue;
        drain->owner = this;
        m_pool.start(drain);
    }
}

} // namespace bd
