#pragma once

#include <QEvent>

#include <cstdint>

class QWidget;

namespace platform {

// A window handle passed through the dialog library's C interface: the
// address of a QWidget living in the same process.
using WindowHandle = std::uintptr_t;

inline constexpr unsigned kWmClose = 0x0010;

WindowHandle handleOf(const QWidget *widget);
// The widget behind a handle, or null when no such widget lives any more, so a
// stale handle is never dereferenced.
QWidget *widgetOf(WindowHandle handle);

// A window message delivered synchronously as a Qt event whose type is the
// message number; the receiver sets the result.
class WindowMessageEvent : public QEvent
{
public:
    WindowMessageEvent(unsigned message, std::uint64_t wParam, std::int64_t lParam);

    unsigned message() const { return m_message; }
    std::uint64_t wParam() const { return m_wParam; }
    std::int64_t lParam() const { return m_lParam; }
    std::intptr_t result() const { return m_result; }
    void setResult(std::intptr_t result) { m_result = result; }

    // True when the event is a window message (any message number that Qt
    // accepts as a user event type).
    static bool isWindowMessage(const QEvent *event);

private:
    unsigned m_message;
    std::uint64_t m_wParam;
    std::int64_t m_lParam;
    std::intptr_t m_result = 0;
};

// Sends a message and returns once the receiver has handled it. WM_CLOSE
// closes the widget. A handle of no living widget, or a message number
// outside the user event range, sends nothing and returns 0.
std::intptr_t sendWindowMessage(
    WindowHandle handle, unsigned message, std::uint64_t wParam = 0, std::int64_t lParam = 0);

} // namespace platform
