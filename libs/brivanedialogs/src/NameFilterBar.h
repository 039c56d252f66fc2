#pragma once

#include "DialogSettings.h"
#include "UiScale.h"

#include <QWidget>

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QToolButton;

namespace bd {

// "Find in folder": a bar under the file list with a text field that narrows
// the list to names holding the text as the user types, or, with the scope
// "This folder and below", searches every folder below the one shown.
// Hidden until asked for; closing it clears the text.
class NameFilterBar : public QWidget
{
    Q_OBJECT

public:
    explicit NameFilterBar(const UiScale &scale, QWidget *parent = nullptr);

    // Shows the bar and puts the keyboard focus in its field, text selected.
    void open();
    // Clears the text (which shows every row again) and hides the bar.
    void clearAndClose();
    // Typed text arriving elsewhere (the file list): goes to the end of the
    // field, which takes the focus so the next keys land there too.
    void typeText(const QString &text);

    QString text() const;
    QLineEdit *edit() const { return m_edit; }
    FindScope scope() const;
    void setScope(FindScope scope);
    // Without the choice, the bar finds in the folder only.
    void offerScopeChoice(bool offer);

Q_SIGNALS:
    void textChanged(const QString &text);
    void scopeChanged(bd::FindScope scope);
    // Escape, or the close button: the bar closed and its text is empty.
    void closed();
    // Enter or an arrow key in the field: back to the list, text kept.
    void returnToListRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_label;
    QLineEdit *m_edit;
    QComboBox *m_scope;
    QToolButton *m_close;
};

} // namespace bd
