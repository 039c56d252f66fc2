#pragma once

#include <QAction>
#include <QFont>
#include <QLabel>
#include <QString>
#include <QWidget>

#include <type_traits>

// What every window of the program does to its controls.

// "Tahoma" 8 point at 96 DPI, set in pixels so Qt never converts it with the
// screen's DPI; fontconfig's substitute is accepted where Tahoma is missing.
inline QFont DesignFont(bool bold = false)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    font.setBold(bold);
    return font;
}

// A control that carries its own font rather than taking its parent's.
template<typename W> W *WithDesignFont(W *widget, bool bold = false)
{
    widget->setFont(DesignFont(bold));
    return widget;
}

// A control's designed name and a name for screen readers: its caption,
// else its hint, else a short human name. A label made with text is read by
// its text, also after it changes (volume), so the human name only
// describes it; a label made empty (a picture) is read by that name.
template<typename W> W *Named(W *widget, const QString &objectName, const QString &accessibleName)
{
    widget->setObjectName(objectName);
    if constexpr (std::is_base_of_v<QLabel, W>) {
        widget->setAccessibleDescription(accessibleName);
        if (!widget->text().isEmpty())
            return widget;
    }
    widget->setAccessibleName(accessibleName);
    return widget;
}

// Named() for a control that carries its own font.
template<typename W>
W *NamedWithFont(W *widget, const QString &objectName, const QString &accessibleName, bool bold = false)
{
    return WithDesignFont(Named(widget, objectName, accessibleName), bold);
}

// A menu or toolbar action with its designed name.
inline QAction *NamedAction(QObject *parent, const QString &objectName, const QString &text)
{
    auto *action = new QAction(text, parent);
    action->setObjectName(objectName);
    return action;
}

// A hint shows as the tooltip and in the main window's status bar.
inline void SetHint(QWidget *widget, const QString &hint)
{
    widget->setToolTip(hint);
    widget->setStatusTip(hint);
}
