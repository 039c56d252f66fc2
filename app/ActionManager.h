#pragma once

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPointer>

class QKeyEvent;
class QWidget;

// The main window's action list. Its shortcuts belong to the whole window
// and win over the focused control, except that a key which types a
// character reaches an editable text field; the list can also be suspended,
// for example while the embedded browser says its own text fields need the
// keys.
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

    // Whether typing into the widget changes its text: line edits, text
    // edits, spin boxes and editable combo boxes that are not read-only.
    static bool IsEditableTextField(const QWidget *widget);
    // Keys that move a text cursor or extend a text selection.
    static bool IsCursorKey(int key);

private:
    QPointer<QWidget> m_window;
    QList<QAction *> m_actions;
    bool m_suspended = false;
};
