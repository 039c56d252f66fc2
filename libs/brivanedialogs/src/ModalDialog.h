#pragma once

#include "DialogRequest.h"
#include "HookSink.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace bd {

class BrowserWidget;

// The open, save and folder dialogs: the browser, a name field and OK and
// Cancel, run inside the entry-point call.
class ModalDialog : public QDialog
{
    Q_OBJECT

public:
    // Shows the dialog and returns 1 when the user confirmed; the chosen
    // names reach the hook as event 2050 before that.
    static int run(const DialogRequest &request, TOpenDialogResults *results);

    ModalDialog(const DialogRequest &request, QWidget *owner);

    BrowserWidget *browser() const { return m_browser; }
    QLineEdit *nameEdit() const { return m_name; }
    QStringList chosenNames() const { return m_chosen; }

    // Checks what the user chose and closes the dialog when it is usable.
    void tryAccept();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void selectionChanged();
    void fileActivated(const QString &fullName);
    bool acceptOpen();
    bool acceptSave();
    bool acceptFolder();
    void showError(const QString &text);
    QStringList typedNames() const;

    DialogRequest m_request;
    HookSink m_sink;
    BrowserWidget *m_browser;
    QLineEdit *m_name;
    QLabel *m_error;
    QPushButton *m_ok;
    QPushButton *m_cancel;
    QStringList m_chosen;
};

} // namespace bd
