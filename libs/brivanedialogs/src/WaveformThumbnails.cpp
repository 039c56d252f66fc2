#include "WaveformThumbnails.h"

#include "WaveformDiskCache.h"
#include "WaveformModule.h"
#include "waveform/WaveformApi.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QRunnable>

namespace bd {

namespace {

// Thumbnails kept in memory: a few folders' worth.
constexpr int kCachedThumbnails = 4000;

// Queue order on the pool: a thumbnail not yet shown before any refinement.
constexpr int kFirstPicturePriority = 1;
constexpr int kRefinePriority = 0;

BrivaneDialogsWaveform_PeaksOfProc peaksProc()
{
    static const auto proc
        = reinterpret_cast<BrivaneDialogsWaveform_PeaksOfProc>(waveformModuleSymbol(kWaveformPeaksOfSymbol));
    return proc;
}

} // namespace

struct WaveformThumbnails::Job : QRunnable
{
    QPointer<WaveformThumbnails> owner;
    std::shared_ptr<WaveformDiskCache> disk;
    QString key;
    QString path;
    bool refine = false;
    std::shared_ptr<std::atomic<int>> cancel;

    void run() override
    {
        Peaks peaks(2 * kColumns, 0.0f);
        int status = 0;
        if (!*cancel) {
            const QString entry = disk->entryFor(path);
            if (!refine && disk->load(entry, kColumns, peaks)) {
                status = kWaveformExact;
            } else if (BrivaneDialogsWaveform_PeaksOfProc proc = peaksProc()) {
                static_assert(sizeof(std::atomic<int>) == sizeof(int));
                const QByteArray encoded = QFile::encodeName(path);
                status = proc(encoded.constData(), peaks.data(), kColumns, refine ? kWaveformExact : 0,
                    reinterpret_cast<const volatile int *>(cancel.get()));
                if (status == kWaveformExact && !*cancel)
                    disk->store(entry, peaks);
            }
        }
        if (*cancel)
            return;
        QPointer<WaveformThumbnails> target = owner;
        if (!target)
            return;
        QMetaObject::invokeMethod(
            target,
            [target, k = key, p = path, c = cancel, r = refine, status, peaks] {
                if (target)
                    target->finished(k, p, c, r, status, peaks);
            },
            Qt::QueuedConnection);
    }
};

WaveformThumbnails::WaveformThumbnails(QObject *parent, const QString &diskCacheFolder)
    : QObject(parent)
    , m_disk(std::make_shared<WaveformDiskCache>(diskCacheFolder))
    , m_cache(kCachedThumbnails)
{
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    m_pool.setObjectName(QStringLiteral("BrivaneDialogs waveforms"));
}

WaveformThumbnails::~WaveformThumbnails()
{
    cancelAll();
    m_pool.clear();
    m_pool.waitForDone();
}

QString WaveformThumbnails::keyOf(const QString &path, qint64 modified)
{
    return path + u'\n' + QString::number(modified);
}

QString WaveformThumbnails::defaultDiskCacheFolder()
{
    return WaveformDiskCache::defaultFolder();
}

const WaveformThumbnails::Peaks *WaveformThumbnails::peaks(const QString &path, qint64 modified)
{
    const QString key = keyOf(path, modified);
    if (const Entry *cached = m_cache.object(key)) {
        // Painted, so on screen: worth the exact picture now.
        if (!cached->exact && !m_pending.contains(path) && !m_refineFailed.contains(key))
            queue(key, path, true);
        return &cached->peaks;
    }
    if (!m_failed.contains(key) && !m_pending.contains(path))
        queue(key, path, false);
    return nullptr;
}

void WaveformThumbnails::queue(const QString &key, const QString &path, bool refine)
{
    auto *job = new Job;
    job->owner = this;
    job->disk = m_disk;
    job->key = key;
    job->path = path;
    job->refine = refine;
    job->cancel = std::make_shared<std::atomic<int>>(0);
    m_pending.insert(path, job->cancel);
    m_pool.start(job, refine ? kRefinePriority : kFirstPicturePriority);
}

bool WaveformThumbnails::failed(const QString &path, qint64 modified) const
{
    return m_failed.contains(keyOf(path, modified));
}

void WaveformThumbnails::retainOnly(const QSet<QString> &keep)
{
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (keep.contains(it.key())) {
            ++it;
            continue;
        }
        *it.value() = 1;
        it = m_pending.erase(it);
    }
}

void WaveformThumbnails::cancelAll()
{
    for (const auto &cancel : std::as_const(m_pending))
        *cancel = 1;
    m_pending.clear();
}

void WaveformThumbnails::finished(const QString &key, const QString &path,
    const std::shared_ptr<std::atomic<int>> &cancel, bool refine, int status, const Peaks &peaks)
{
    // Cancelled after it had sent this: a newer request for the file is
    // pending, or none is wanted.
    if (m_pending.value(path) != cancel)
        return;
    m_pending.remove(path);
    if (refine) {
        if (status == kWaveformExact) {
            m_cache.insert(key, new Entry { peaks, true });
            ++m_refined;
            Q_EMIT thumbnailReady(path);
        } else {
            m_refineFailed.insert(key); // the sampled picture stays
        }
        return;
    }
    if (status != 0)
        m_cache.insert(key, new Entry { peaks, status == kWaveformExact });
    else
        m_failed.insert(key);
    ++m_ready;
    Q_EMIT thumbnailReady(path);
}

} // namespace bd
