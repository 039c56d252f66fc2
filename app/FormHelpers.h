#pragma once

#include <QAction>
#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPalette>
#include <QString>
#include <QWidget>

#include <algorithm>
#include <cmath>
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

// WCAG contrast ratio of two colours: 1 (same) to 21 (black on white).
inline double ContrastRatio(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The palette's link colour, moved toward its text colour until it reads on
// background: a dark desktop scheme often keeps the light scheme's blue.
inline QColor ReadableLink(const QPalette &palette, QPalette::ColorRole background)
{
    constexpr double kReadable = 4.5;
    const QColor back = palette.color(background);
    const QColor link = palette.color(QPalette::Link);
    const QColor text = palette.color(background == QPalette::Base ? QPalette::Text : QPalette::WindowText);
    if (ContrastRatio(link, back) >= kReadable)
        return link;
    for (int step = 1; step <= 10; ++step) {
        const double t = step / 10.0;
        const QColor mixed = QColor::fromRgbF(float(link.redF() + (text.redF() - link.redF()) * t),
            float(link.greenF() + (text.greenF() - link.greenF()) * t),
            float(link.blueF() + (text.blueF() - link.blueF()) * t));
        if (ContrastRatio(mixed, back) >= kReadable)
            return mixed;
    }
    return text;
}
