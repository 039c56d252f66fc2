#include "WaveformThumbnails.h"

#include "platform/LibraryLoading.h"
#include "waveform/WaveformApi.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QRunnable>

#include <dlfcn.h>
#include <mutex>

namespace bd {

namespace {

// Thumbnails kept in memory: a few folders' worth.
constexpr int kCachedThumbnails = 4000;

// The decoding module sits beside this library. Loaded once, at the first
// thumbnail, and kept for the life of the process.
BrivaneDialogsWaveform_PeaksProc peaksProc()
{
    static std::once_flag once;
    static BrivaneDialogsWaveform_PeaksProc proc = nullptr;
    std::call_once(once, [] {
        const std::string folder = platform::FolderOfLoadedObject(reinterpret_cast<const void *>(&peaksProc));
        if (void *module = platform::OpenLibraryFolderFirst(folder, kWaveformModuleName))
            proc = reinterpret_cast<BrivaneDialogsWaveform_PeaksProc>(dlsym(module, kWaveformPeaksSymbol));
    });
    return proc;
}

} // namespace

struct WaveformThumbnails::Job : QRunnable
{
    QPointer<WaveformThumbnails> owner;
    QString key;
    QString path;
    std::shared_ptr<std::atomic<int>> cancel;

    void run() override
    {
        Peaks peaks(2 * kColumns, 0.0f);
        bool ok = false;
        if (!*cancel) {
            if (BrivaneDialogsWaveform_PeaksProc proc = peaksProc()) {
                static_assert(sizeof(std::atomic<int>) == sizeof(int));
                const QByteArray encoded = QFile::encodeName(path);
                ok = proc(encoded.constData(), peaks.data(), kColumns,
                         reinterpret_cast<const volatile int *>(cancel.get()))
                    != 0;
            }
        }
        if (*cancel)
            return;
        QPointer<WaveformThumbnails> target = owner;
        if (!target)
            return;
        const QString k = key;
        const QString p = path;
        QMetaObject::invokeMethod(
            target,
            [target, k, p, ok, peaks] {
                if (target)
                    target->finished(k, p, ok, peaks);
            },
            Qt::QueuedConnection);
    }
};

WaveformThumbnails::WaveformThumbnails(QObject *parent)
    : QObject(parent)
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

const WaveformThumbnails::Peaks *WaveformThumbnails::peaks(const QString &path, qint64 modified)
{
    const QString key = keyOf(path, modified);
    if (const Peaks *cached = m_cache.object(key))
        return cached;
    if (m_failed.contains(key) || m_pending.contains(path))
        return nullptr;
    auto *job = new Job;
    job->owner = this;
    job->key = key;
    job->path = path;
    job->cancel = std::make_shared<std::atomic<int>>(0);
    m_pending.insert(path, job->cancel);
    m_pool.start(job);
    return nullptr;
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

void WaveformThumbnails::finished(const QString &key, const QString &path, bool ok, const Peaks &peaks)
{
    m_pending.remove(path);
    if (ok)
        m_cache.insert(key, new Peaks(peaks));
    else
        m_failed.insert(key);
    ++m_ready;
    Q_EMIT thumbnailReady(path);
}

} // namespace bd
