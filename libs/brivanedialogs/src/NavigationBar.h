#pragma once

#include "DialogSettings.h"
#include "FilterList.h"
#include "UiScale.h"

#include <QWidget>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace bd {

// Title, history and folder buttons, the editable path, the view switch and
// the filter box. Emits intents; the browser decides.
class NavigationBar : public QWidget
{
    Q_OBJECT

public:
    NavigationBar(const QString &title, const FilterList &filters, bool showFilter, const UiScale &scale,
        QWidget *parent = nullptr);

    void setPath(const QString &path);
    // A line under the path saying why it was not opened; empty hides it.
    void setPathError(const QString &text);
    void setHistoryState(bool canBack, bool canForward, bool canUp);
    void setViewMode(ViewMode mode);
    void setFilterIndex(int index);
    int filterIndex() const;

    QLineEdit *pathEdit() const { return m_path; }
    QComboBox *filterBox() const { return m_filter; }
    QLabel *pathErrorLabel() const { return m_pathError; }
    // The bar's controls in the order Tab visits them: as they read, left
    // to right and top to bottom.
    QList<QWidget *> tabOrder() const;

Q_SIGNALS:
    void pathEntered(const QString &text);
    void backRequested();
    void forwardRequested();
    void upRequested();
    void refreshRequested();
    void viewModeRequested(ViewMode mode);
    void filterIndexChanged(int index);

protected:
    void changeEvent(QEvent *event) override;

private:
    void addCompleter();
    void colourPathError();
    QToolButton *makeButton(const QString &objectName, const QString &text, const QIcon &icon, const QString &toolTip);

    UiScale m_scale;
    QLabel *m_title;
    QToolButton *m_back;
    QToolButton *m_forward;
    QToolButton *m_up;
    QToolButton *m_refresh;
    QLineEdit *m_path;
    QLabel *m_pathError;
    QButtonGroup *m_views;
    QComboBox *m_filter;
};

} // namespace bd
