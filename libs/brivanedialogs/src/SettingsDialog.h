#pragma once

#include "DialogSettings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;

namespace bd {

// The library's own small settings window, shared by every dialog.
class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SettingsDialog(QWidget *owner = nullptr);

    // Shows it modally; true (and the settings stored) on OK.
    static bool run(QWidget *owner);

    LibrarySettings settings() const;

private:
    QCheckBox *m_hidden;
    QComboBox *m_view;
};

} // namespace bd
