#include "app/ActionManager.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

ActionManager::ActionManager(QWidget *window)
    : QObject(window)
    , m_window(window)
{ }

void ActionManager::addAction(QAction *action)
{
    m_actions.append(action);
}

bool ActionManager::IsEditableTextField(const QWidget *widget)
{
    if (const auto *edit = qobject_cast<const QLineEdit *>(widget))
        return !edit->isReadOnly();
    if (const auto *edit = qobject_cast<const QTextEdit *>(widget))
        return !edit->isReadOnly();
    if (const auto *edit = qobject_cast<const QPlainTextEdit *>(widget))
        return !edit->isReadOnly();
    // These keep the focus themselves and hand the keys to their line edit.
    if (const auto *spin = qobject_cast<const QAbstractSpinBox *>(widget))
        return !spin->isReadOnly();
    if (const auto *combo = qobject_cast<const QComboBox *>(widget))
        return combo->isEditable();
    return false;
}

bool ActionManager::IsCursorKey(int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

bool ActionManager::handleKeyPress(QObject *receiver, const QKeyEvent *event)
{
    if (m_suspended || !m_window)
        return false;
    auto *widget = qobject_cast<QWidget *>(receiver);
    if (!widget || widget->window() != m_window)
        return false;
    // A key that types a character belongs to the field being typed into: a
    // blank in a folder name must stay a blank.
    if (!event->text().isEmpty() && event->text().at(0).isPrint() && IsEditableTextField(QApplication::focusWidget()))
        return false;
    // So do the keys that move its cursor or select its text (Shift+Left).
    if (IsCursorKey(event->key()) && IsEditableTextField(QApplication::focusWidget()))
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
