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
#include <functional>
#include <thread>

namespace {

// Short transfers finish without a window flashing up.
constexpr int kProgressDelayMs = 500;
constexpr int kProgressRefreshMs = 100;

// Hands the engine's questions to the GUI thread and waits there for the
// answer; keeps the latest progress for the window to pick up.
//
// A question must always be answerable: it is owned by the progress window
// when that is up, and the progress window is held back while a question is
// open (shown later, it would stack above the question and, being modal for
// the main window, take its clicks and keys). Cancelling closes an open
// question, so the worker waiting for it goes on to stop.
class Bridge : public QObject, public FileOperationObserver
{
public:
    Bridge(QWidget *owner, FileOperation &operation)
        : m_owner(owner)
        , m_operation(operation)
    { }

    ConflictDecision resolveConflict(const FileConflict &conflict) override
    {
        ConflictDecision decision;
        if (m_operation.IsCancelled())
            return decision;
        QMetaObject::invokeMethod(
            this,
            [&] {
                if (m_operation.IsCancelled())
                    return;
                TFormFileConflict dialog(dialogOwner(), m_operation.kind(), conflict);
                ask(dialog);
                if (!m_operation.IsCancelled())
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
            this,
            [&] {
                if (m_operation.IsCancelled())
                    return;
                TFormFileError box(dialogOwner(), m_operation.kind(), source, message);
                ask(box);
                skip = box.SkipChosen() && !m_operation.IsCancelled();
            },
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

    bool questionOpen() const { return !m_question.isNull(); }

    // Stops the operation, whatever is on screen.
    void cancel()
    {
        m_operation.Cancel();
        if (m_question)
            m_question->reject();
    }

    QPointer<TFormFileOperationProgress> window;
    // Called once a question has been answered.
    std::function<void()> questionClosed;

private:
    void ask(QDialog &question)
    {
        m_question = &question;
        question.exec();
        m_question = nullptr;
        if (questionClosed)
            questionClosed();
    }

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
    QPointer<QDialog> m_question;
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

FileOperationResult RunFileOperation(
    QWidget *owner, FileOperationKind kind, const QStringList &sources, const QString &folder)
{
    FileOperation operation(kind, sources, folder);
    Bridge bridge(owner, operation);
    InputBlocker blocker(owner ? owner->window() : nullptr);
    FileOperationResult result;
    std::atomic<bool> finished { false };
    QEventLoop loop;

    std::thread worker([&] {
        result = operation.Run(bridge);
        finished = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    QTimer showTimer;
    showTimer.setSingleShot(true);
    QObject::connect(&showTimer, &QTimer::timeout, [&] {
        if (finished || bridge.window)
            return;
        // Asked again once the question is answered.
        if (bridge.questionOpen())
            return;
        auto *window = new TFormFileOperationProgress(owner, kind, int(sources.size()), folder);
        QObject::connect(window, &TFormFileOperationProgress::CancelRequested, [&bridge] { bridge.cancel(); });
        window->SetProgress(bridge.latest());
        window->show();
        bridge.window = window;
    });
    showTimer.start(kProgressDelayMs);
    // After a question the transfer may be nearly done: the window comes only
    // if it still takes a while.
    bridge.questionClosed = [&] {
        if (!bridge.window && !finished)
            showTimer.start(kProgressDelayMs);
    };
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
            bridge.cancel();
    }
    worker.join();
    showTimer.stop();
    refreshTimer.stop();
    // Not close(): the window treats closing as a request to cancel.
    delete bridge.window.data();
    return result;
}
