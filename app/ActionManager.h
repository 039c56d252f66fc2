#pragma once

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPointer>

class QKeyEvent;
class QWidget;

// The main window's action list. Its shortcuts belong to the whole window
// and win over the focused control (a text field does not get the key), but
// the list can be suspended, for example while the embedded browser's own
// text fields need the keys.
class ActionManager : public QObject
{
    Q_OBJECT

public:
    explicit ActionManager(QWidget *window);

    void addAction(QAction *action);
    QList<QAction *> actions() const { return m_actions; }

    bool isSuspended() const { return m_suspended; }
    void setSuspended(bool suspended) { m_suspended = suspended; }

    // Runs the action whose shortcut the key press matches, when the press
    // happens inside the window and the list is not suspended. True when the
    // key was used.
    bool handleKeyPress(QObject *receiver, const QKeyEvent *event);

private:
    QPointer<QWidget> m_window;
    QList<QAction *> m_actions;
    bool m_suspended = false;
};
