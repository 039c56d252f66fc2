#include "app/FileOperationRunner.h"

#include "app/FileOperationDialogs.h"

#include <QApplication>
#include <QEventLoop>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <thread>

namespace {

// Short transfers finish without a window flashing up.
constexpr int kProgressDelayMs = 500;
constexpr int kProgressRefreshMs = 100;

// Hands the engine's questions to the GUI thread and waits there for the
// answer; keeps the latest progress for the window to pick up.
class Bridge : public QObject, public FileOperationObserver
{
public:
    Bridge(QWidget *owner, FileOperation &operation)
        : m_owner(owner)
        , m_operation(operation)
    {
    }

    ConflictDecision resolveConflict(const FileConflict &conflict) override
    {
        ConflictDecision decision;
        if (m_operation.IsCancelled())
            return decision;
        QMetaObject::invokeMethod(
            this,
            [&] {
                TFormFileConflict dialog(dialogOwner(), m_operation.kind(), conflict);
                dialog.exec();
                decision = dialog.Decision();
            },
            Qt::BlockingQueuedConnection);
        return decision;
    }

    ErrorResolution resolveError(const QString &source, const QString &message) override
    {
        if (m_operation.IsCancelled())
            return ErrorResolution::Cancel;
        bool skip = false;
        QMetaObject::invokeMethod(
            this, [&] { skip = AskSkipAfterError(dialogOwner(), m_operation.kind(), source, message); },
            Qt::BlockingQueuedConnection);
        return skip ? ErrorResolution::Skip : ErrorResolution::Cancel;
    }

    void progress(const FileOperationProgress &progress) override
    {
        QMutexLocker lock(&m_mutex);
        m_progress = progress;
    }

    FileOperationProgress latest()
    {
        QMutexLocker lock(&m_mutex);
        return m_progress;
    }

    QPointer<TFormFileOperationProgress> window;

private:
    QWidget *dialogOwner() const
    {
        if (window && window->isVisible())
            return window;
        return m_owner;
    }

    QWidget *m_owner;
    FileOperation &m_operation;
    QMutex m_mutex;
    FileOperationProgress m_progress;
};

// Until the progress window is up, clicks and keys meant for the owner
// window wait; the operation is modal for it from the first moment.
class InputBlocker : public QObject
{
public:
    explicit InputBlocker(QWidget *window)
        : m_window(window)
    {
        qApp->installEventFilter(this);
    }
    ~InputBlocker() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::ShortcutOverride:
            if (auto *widget = qobject_cast<QWidget *>(watched); widget && m_window && widget->window() == m_window)
                return true;
            break;
        default:
            break;
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
};

} // namespace

FileOperationResult RunFileOperation(QWidget *owner, FileOperationKind kind, const QStringList &sources,
                                     const QString &folder)
{
    FileOperation operation(kind, sources, folder);
    Bridge bridge(owner, operation);
    InputBlocker blocker(owner ? owner->window() : nullptr);
    FileOperationResult result;
    std::atomic<bool> finished{false};
    QEventLoop loop;

    std::thread worker([&] {
        result = operation.Run(bridge);
        finished = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    QTimer showTimer;
    showTimer.setSingleShot(true);
    QObject::connect(&showTimer, &QTimer::timeout, [&] {
        auto *window = new TFormFileOperationProgress(owner, kind, int(sources.size()), folder);
        QObject::connect(window, &TFormFileOperationProgress::CancelRequested, [&operation] { operation.Cancel(); });
        window->SetProgress(bridge.latest());
        window->show();
        bridge.window = window;
    });
    showTimer.start(kProgressDelayMs);
    QTimer refreshTimer;
    QObject::connect(&refreshTimer, &QTimer::timeout, [&] {
        if (bridge.window)
            bridge.window->SetProgress(bridge.latest());
    });
    refreshTimer.start(kProgressRefreshMs);

    while (!finished) {
        loop.exec();
        // The application asked every event loop to end (it is quitting):
        // stop the transfer and wait for the worker to clean up.
        if (!finished)
            operation.Cancel();
    }
    worker.join();
    showTimer.stop();
    refreshTimer.stop();
    // Not close(): the window treats closing as a request to cancel.
    delete bridge.window.data();
    return result;
}
