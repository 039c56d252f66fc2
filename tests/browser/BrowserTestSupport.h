#pragma once

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <ostream>

// Readable QString values in failed expectations.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// Helpers shared by the browser, copy/move and hint tests.

// Answers the next modal window named objectName with action, from inside
// the modal loop that shows it. A window that never comes is reported by
// the test through answered() staying false; after timeoutMs any modal
// window is rejected so a test never hangs.
class ModalAnswer : public QObject
{
public:
    ModalAnswer(QString objectName, std::function<void(QWidget *)> action, int timeoutMs = 20000)
        : m_objectName(std::move(objectName))
        , m_action(std::move(action))
        , m_timeoutMs(timeoutMs)
    {
        m_clock.start();
        connect(&m_timer, &QTimer::timeout, this, &ModalAnswer::poll);
        m_timer.start(5);
    }

    bool answered() const { return m_answered; }
    QString seenText() const { return m_seen; }

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && modal->objectName() == m_objectName) {
            m_timer.stop();
            m_answered = true;
            m_action(modal);
            return;
        }
        if (m_clock.elapsed() > m_timeoutMs) {
            m_timer.stop();
            if (modal)
                modal->close();
        }
    }

    QString m_objectName;
    std::function<void(QWidget *)> m_action;
    int m_timeoutMs;
    QElapsedTimer m_clock;
    QTimer m_timer;
    bool m_answered = false;
    QString m_seen;
};

// Records every top-level window that is shown while it lives.
class ShownWindows : public QObject
{
public:
    ShownWindows() { qApp->installEventFilter(this); }
    ~ShownWindows() override { qApp->removeEventFilter(this); }

    const QStringList &names() const { return m_names; }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto *widget = qobject_cast<QWidget *>(watched); widget && widget->isWindow())
                m_names.append(widget->objectName());
        }
        return false;
    }

private:
    QStringList m_names;
};

// Points HOME at a private folder for the life of the object, so the key
// store, the settings file and the music folder of a test are its own.
class PrivateHome
{
public:
    explicit PrivateHome(const QString &path)
        : m_previous(qgetenv("HOME"))
    {
        QDir().mkpath(path);
        qputenv("HOME", QFile::encodeName(path));
    }
    ~PrivateHome() { qputenv("HOME", m_previous); }

private:
    QByteArray m_previous;
};
