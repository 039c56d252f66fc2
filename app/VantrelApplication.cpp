#include "app/VantrelApplication.h"

#include "app/ActionManager.h"
#include "util/VantrelError.h"

#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace {

VantrelApplication::ErrorReporter &errorReporter()
{
    static VantrelApplication::ErrorReporter reporter;
    return reporter;
}

bool isArrowKey(int key)
{
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right;
}

} // namespace

VantrelApplication::VantrelApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{ }

void VantrelApplication::setErrorReporter(ErrorReporter reporter)
{
    errorReporter() = std::move(reporter);
}

void VantrelApplication::ReportError(const QString &message)
{
    if (errorReporter()) {
        errorReporter()(message);
        return;
    }
    // Titled with the program's name as its main window shows it. Not through
    // the application's display name: Qt appends that to every other
    // window's title on X11 and Wayland ("Hint — Vantrel").
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Vantrel"), message, QMessageBox::Ok, activeWindow());
    box.setObjectName(QStringLiteral("ErrorMessageBox"));
    box.exec();
}

// Arrow keys always go to the focused control, never to focus navigation:
// the press is handed straight to the focus widget, which keeps the focus.
// An open popup (a menu, a combo box's list, a completer) is where the user
// is looking: it takes the arrows itself and nothing behind it moves.
bool VantrelApplication::routeArrowKey(QEvent *event)
{
    if (m_routing || event->type() != QEvent::KeyPress || !event->spontaneous())
        return false;
    if (activePopupWidget())
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (!isArrowKey(key->key()))
        return false;
    QPointer<QWidget> focus = focusWidget();
    if (!focus)
        return false;
    QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->nativeScanCode(), key->nativeVirtualKey(),
        key->nativeModifiers(), key->text(), key->isAutoRepeat(), key->count());
    m_routing = true;
    try {
        QApplication::notify(focus, &copy);
    } catch (...) {
        m_routing = false;
        throw;
    }
    m_routing = false;
    if (focus)
        focus->setFocus();
    return true;
}

bool VantrelApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        if (event->type() == QEvent::KeyPress && m_actionManager
            && m_actionManager->handleKeyPress(receiver, static_cast<QKeyEvent *>(event)))
            return true;
        if (routeArrowKey(event))
            return true;
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportCurrentException();
    }
    return true;
}

void VantrelApplication::ReportCurrentException()
{
    try {
        throw;
    } catch (const VantrelError &error) {
        ReportError(error.message());
    } catch (const std::exception &error) {
        ReportError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ReportError(QStringLiteral("An unexpected error occurred."));
    }
}
