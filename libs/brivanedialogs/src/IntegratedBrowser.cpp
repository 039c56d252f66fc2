#include "IntegratedBrowser.h"

#include "BrowserSetup.h"
#include "BrowserWidget.h"
#include "MessageRouter.h"
#include "platform/WindowMessage.h"

#include <QCloseEvent>
#include <QPointer>
#include <QVBoxLayout>

namespace bd {

IntegratedBrowser *IntegratedBrowser::open(const DialogRequest &request)
{
    QWidget *host = nullptr;
    if (request.has(ofIntegrate)) {
        host = platform::widgetOf(request.params->ParentWindow);
        if (!host)
            return nullptr;
    }
    const RememberedState remembered = DialogSettings::readState(request.guid);
    QPointer<IntegratedBrowser> browser = new IntegratedBrowser(request, remembered, host);
    browser->refit();
    browser->show();
    browser->m_sink.windowCreated(browser);
    if (!browser) // the host may close the browser from its handler
        return nullptr;
    const QString folder = initialFolder(request, remembered);
    browser->m_browser->openFolder(folder, BrowserWidget::Navigation::Visit, initialFocusName(request, folder));
    browser->m_browser->focusFileList();
    return browser;
}

IntegratedBrowser::IntegratedBrowser(const DialogRequest &request, const RememberedState &remembered, QWidget *host)
    : QWidget(host)
    , m_request(request)
    , m_sink(request.params)
{
    setObjectName(QStringLiteral("BrivaneDialogsBrowser"));
    setAccessibleName(request.title.isEmpty() ? tr("File browser") : request.title);
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(scaledFont(font(), request.scale));
    if (!host)
        setWindowTitle(request.title.isEmpty() ? tr("Browse") : request.title);

    m_browser = new BrowserWidget(browserConfig(request, remembered, DialogSettings::readLibrarySettings()), this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    connectHook(m_browser, this, m_sink);
    // Embedded, opening a file is the host's to act on; a modal dialog
    // accepts it instead.
    connect(m_browser, &BrowserWidget::fileActivated, this,
        [this](const QString &fullName) { m_sink.fileActivated(this, fullName); });
    if (host)
        host->installEventFilter(this);
    else
        resize(request.scale.px(QSize(760, 520)));
}

IntegratedBrowser::~IntegratedBrowser()
{
    // Destroyed with its host without a close message: remember anyway.
    storeState();
}

void IntegratedBrowser::refit()
{
    if (QWidget *host = parentWidget())
        setGeometry(host->rect());
}

bool IntegratedBrowser::event(QEvent *event)
{
    if (handleWindowMessage(event, m_browser, this, m_sink, [this] { refit(); }))
        return true;
    return QWidget::event(event);
}

bool IntegratedBrowser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        refit();
    return QWidget::eventFilter(watched, event);
}

void IntegratedBrowser::closeEvent(QCloseEvent *event)
{
    storeState();
    event->accept();
}

void IntegratedBrowser::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    // The host focuses the browser window as a whole (by its handle): the
    // file list takes the keys.
    if (m_browser)
        m_browser->focusFileList();
}

void IntegratedBrowser::storeState()
{
    if (m_stored || !m_browser)
        return;
    m_stored = true;
    DialogSettings::writeState(m_request.guid, m_browser->rememberedState());
    DialogSettings::writeRecentFolders(m_browser->recentFolders());
}

} // namespace bd
