#pragma once

#include <QDialog>

#include <cstdint>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

// Tells the user about the two modes of the browser's left panel, offers two
// links that switch it at once, and a box to stop showing itself. Shown
// modally shortly after start-up; frees itself when it closes.
class TFormTreeViewHint : public QDialog
{
    Q_OBJECT

public:
    // browserWindow: the embedded browser's window, or 0 when there is none.
    TFormTreeViewHint(QWidget *owner, std::uintptr_t browserWindow);

    void LabelHint1LinkMouseEnter(QLabel *label);
    void LabelHint1LinkMouseLeave(QLabel *label);
    void LabelTreeViewClick();
    void LabelDrivesLocationsClick();
    void Button1Click();

    // Every way of closing passes here.
    void done(int result) override;

    QGroupBox *GroupBox1 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *LabelFileName = nullptr;
    QLabel *LabelTreeView = nullptr;
    QLabel *LabelDrivesLocations = nullptr;
    QCheckBox *CheckBoxDoNotShowAgain = nullptr;
    QPushButton *Button1 = nullptr;

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormClose();
    QLabel *makeLink(const QString &name, const QString &text);
    void colourAsLink(QLabel *label);

    std::uintptr_t m_browserWindow;
};
