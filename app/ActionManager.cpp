#include "app/ActionManager.h"

#include <QKeyEvent>
#include <QWidget>

ActionManager::ActionManager(QWidget *window)
    : QObject(window)
    , m_window(window)
{
}

void ActionManager::addAction(QAction *action)
{
    m_actions.append(action);
}

bool ActionManager::handleKeyPress(QObject *receiver, const QKeyEvent *event)
{
    if (m_suspended || !m_window)
        return false;
    auto *widget = qobject_cast<QWidget *>(receiver);
    if (!widget || widget->window() != m_window)
        return false;
    const QKeySequence pressed(event->keyCombination());
    for (QAction *action : std::as_const(m_actions)) {
        if (!action->isEnabled() || action->shortcut().isEmpty())
            continue;
        if (action->shortcut().matches(pressed) == QKeySequence::ExactMatch) {
            // A held key repeats; one press is one toggle.
            if (!event->isAutoRepeat())
                action->trigger();
            return true;
        }
    }
    return false;
}
