#include "SettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPointer>
#include <QPushButton>

namespace bd {

SettingsDialog::SettingsDialog(QWidget *owner)
    : QDialog(owner)
    , m_hidden(new QCheckBox(tr("Show hidden files and folders"), this))
    , m_view(new QComboBox(this))
{
    setObjectName(QStringLiteral("BrivaneDialogsSettings"));
    setWindowTitle(tr("File browser settings"));
    setAccessibleName(windowTitle());

    const LibrarySettings current = DialogSettings::readLibrarySettings();
    m_hidden->setObjectName(QStringLiteral("ShowHiddenCheckBox"));
    m_hidden->setAccessibleName(m_hidden->text());
    m_hidden->setChecked(current.showHidden);

    m_view->setObjectName(QStringLiteral("DefaultViewBox"));
    m_view->setAccessibleName(tr("Default view"));
    m_view->addItem(tr("Details"), int(ViewMode::Details));
    m_view->addItem(tr("List"), int(ViewMode::List));
    m_view->addItem(tr("Thumbnails"), int(ViewMode::Thumbnails));
    m_view->setCurrentIndex(m_view->findData(int(current.defaultView)));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("SettingsButtons"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKButton"));
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout(this);
    form->addRow(m_hidden);
    form->addRow(tr("Default view:"), m_view);
    form->addRow(buttons);
}

LibrarySettings SettingsDialog::settings() const
{
    LibrarySettings settings;
    settings.showHidden = m_hidden->isChecked();
    settings.defaultView = ViewMode(m_view->currentData().toInt());
    return settings;
}

bool SettingsDialog::run(QWidget *owner)
{
    QPointer<SettingsDialog> dialog = new SettingsDialog(owner);
    const bool ok = dialog->exec() == QDialog::Accepted;
    if (!dialog)
        return false;
    if (ok)
        DialogSettings::writeLibrarySettings(dialog->settings());
    delete dialog.data();
    return ok;
}

} // namespace bd
