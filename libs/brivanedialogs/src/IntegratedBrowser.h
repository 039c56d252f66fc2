#pragma once

#include "DialogRequest.h"
#include "DialogSettings.h"
#include "HookSink.h"

#include <QWidget>

namespace bd {

class BrowserWidget;

// The browser embedded in a host window (or, without a parent, in a window
// of its own), living until the host closes it. Its address is the window
// handle the host sends messages to.
class IntegratedBrowser : public QWidget
{
    Q_OBJECT

public:
    // Creates and shows the browser; event 2054 reaches the host before this
    // returns. Null when the host window is unknown.
    static IntegratedBrowser *open(const DialogRequest &request);

    ~IntegratedBrowser() override;

    BrowserWidget *browser() const { return m_browser; }

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    IntegratedBrowser(const DialogRequest &request, const RememberedState &remembered, QWidget *host);
    void refit();
    void storeState();

    DialogRequest m_request;
    HookSink m_sink;
    BrowserWidget *m_browser = nullptr;
    bool m_stored = false;
};

} // namespace bd
