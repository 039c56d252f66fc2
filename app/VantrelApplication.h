#pragma once

#include <QApplication>

#include <functional>

class ActionManager;

// The application object. Its notify() is where the program's general error
// handler and the key routing that must see every key event live.
class VantrelApplication : public QApplication
{
    Q_OBJECT

public:
    VantrelApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // The action list whose shortcuts win over the focused control.
    void setActionManager(ActionManager *manager) { m_actionManager = manager; }

    // Shows an error to the user; replaceable so tests can record messages
    // instead of opening a modal box.
    using ErrorReporter = std::function<void(const QString &)>;
    static void setErrorReporter(ErrorReporter reporter);
    static void ReportError(const QString &message);
    // Reports the exception being handled; call only inside a catch block.
    static void ReportCurrentException();

private:
    bool routeArrowKey(QEvent *event);

    ActionManager *m_actionManager = nullptr;
    bool m_routing = false;
};
