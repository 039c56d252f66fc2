#include "platform/WindowMessage.h"

#include <QApplication>
#include <QWidget>

namespace platform {

WindowHandle handleOf(const QWidget *widget)
{
    return reinterpret_cast<WindowHandle>(widget);
}

QWidget *widgetOf(WindowHandle handle)
{
    if (handle == 0)
        return nullptr;
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget *widget : widgets) {
        if (handleOf(widget) == handle)
            return widget;
    }
    return nullptr;
}

WindowMessageEvent::WindowMessageEvent(unsigned message, std::uint64_t wParam, std::int64_t lParam)
    : QEvent(QEvent::Type(message))
    , m_message(message)
    , m_wParam(wParam)
    , m_lParam(lParam)
{ }

bool WindowMessageEvent::isWindowMessage(const QEvent *event)
{
    return event && event->type() >= QEvent::User && event->type() <= QEvent::MaxUser
        && dynamic_cast<const WindowMessageEvent *>(event) != nullptr;
}

std::intptr_t sendWindowMessage(WindowHandle handle, unsigned message, std::uint64_t wParam, std::int64_t lParam)
{
    QWidget *widget = widgetOf(handle);
    if (!widget)
        return 0;
    if (message == kWmClose) {
        widget->close();
        return 0;
    }
    if (message < unsigned(QEvent::User) || message > unsigned(QEvent::MaxUser))
        return 0;
    WindowMessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(widget, &event);
    return event.result();
}

} // namespace platform
