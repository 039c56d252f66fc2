#pragma once

#include <QFont>
#include <QString>
#include <QWidget>

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

// A control's designed name and a name for screen readers: its caption,
// else its hint, else a short human name.
template<typename W>
W *Named(W *widget, const QString &objectName, const QString &accessibleName)
{
    widget->setObjectName(objectName);
    widget->setAccessibleName(accessibleName);
    return widget;
}

// A hint shows as the tooltip and in the main window's status bar.
inline void SetHint(QWidget *widget, const QString &hint)
{
    widget->setToolTip(hint);
    widget->setStatusTip(hint);
}
