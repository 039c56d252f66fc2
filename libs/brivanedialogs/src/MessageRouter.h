#pragma once

#include "HookSink.h"

#include <functional>

class QEvent;
class QWidget;

namespace bd {

class BrowserWidget;

// Reports a browser's focus, text-field focus and (when asked) selection to
// the host's hook on behalf of window.
void connectHook(BrowserWidget *browser, QWidget *window, const HookSink &sink);

// Answers the host's window messages (refit, selection report, left-panel
// mode, path bar focus). True when event was one of them.
bool handleWindowMessage(
    QEvent *event, BrowserWidget *browser, QWidget *window, const HookSink &sink, const std::function<void()> &refit);

} // namespace bd
