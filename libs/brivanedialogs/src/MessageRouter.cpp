#include "MessageRouter.h"

#include "BrowserWidget.h"
#include "platform/WindowMessage.h"

#include <QMenu>
#include <QPointer>
#include <QTimer>

namespace bd {

void connectHook(BrowserWidget *browser, QWidget *window, const HookSink &sink)
{
    QObject::connect(browser, &BrowserWidget::focusedItemChanged, window,
        [window, sink](const QString &fullName) { sink.focusChanged(window, fullName); });
    QObject::connect(browser, &BrowserWidget::textFieldFocusChanged, window,
        [window, sink](bool inTextField) { sink.textFocus(window, inTextField); });
    QObject::connect(browser, &BrowserWidget::fileMenuRequested, window,
        [window, sink](QMenu *menu, QAction *before, int selectionCount) {
            QPointer<QMenu> alive(menu);
            const std::vector<HostMenuEntry> entries = sink.fileMenu(window, selectionCount);
            if (!alive)
                return;
            // Picked entries reach the host from the event loop, once the menu
            // and the action that fired are done with.
            addHostEntries(menu, before, entries, [window, sink](std::uint32_t command) {
                QTimer::singleShot(0, window, [window, sink, command] { sink.menuCommand(window, command); });
            });
        });
}

bool handleWindowMessage(
    QEvent *event, BrowserWidget *browser, QWidget *window, const HookSink &sink, const std::function<void()> &refit)
{
    if (!platform::WindowMessageEvent::isWindowMessage(event))
        return false;
    auto *message = static_cast<platform::WindowMessageEvent *>(event);
    switch (message->message()) {
    case bdMsgRefit:
        if (refit)
            refit();
        break;
    case bdMsgReportSelection:
        sink.selection(window, browser->selectedPaths(), browser->filterIndex());
        break;
    case bdMsgPanelLocations:
        browser->setPanelMode(PanelMode::Locations);
        break;
    case bdMsgPanelTree:
        browser->setPanelMode(PanelMode::Tree);
        break;
    case bdMsgFocusPathBar:
        message->setResult(browser->focusPathBar() ? 1 : 0);
        message->accept();
        return true;
    case bdMsgFocusNextFile:
        message->setResult(browser->focusNextFile() ? 1 : 0);
        message->accept();
        return true;
    default:
        return false;
    }
    message->setResult(1);
    message->accept();
    return true;
}

} // namespace bd
