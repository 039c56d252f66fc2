#include "MainWindowTestSupport.h"

#include "app/Globals.h"
#include "app/SettingsFile.h"
#include "app/VantrelApplication.h"
#include "platform/PrivateProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

void MainWindowTest::SetUp()
{
    DisplayScale = 96;
    // The start-up timer would open the modal hint window over every shown
    // window; its own tests cover it.
    ShowTreeViewHint = false;
    m_settingsPath = GetSettingsFileName();
    ASSERT_FALSE(m_settingsPath.isEmpty());
    QFileInfo info(m_settingsPath);
    if (info.isDir())
        QDir(m_settingsPath).removeRecursively();
    QFile::remove(m_settingsPath);
    VantrelApplication::setErrorReporter([this](const QString &message) { m_errors.append(message); });
}

void MainWindowTest::TearDown()
{
    if (m_form) {
        static_cast<VantrelApplication *>(qApp)->setActionManager(nullptr);
        FormMain = nullptr;
        m_form.reset();
    }
    VantrelApplication::setErrorReporter({});
    QFileInfo info(m_settingsPath);
    if (info.isDir())
        QDir(m_settingsPath).removeRecursively();
    QFile::remove(m_settingsPath);
}

void MainWindowTest::writeSetting(const QString &section, const QString &key, const QString &value)
{
    ASSERT_TRUE(platform::writeProfileString(m_settingsPath, section, key, value));
}

QString MainWindowTest::readSetting(const QString &section, const QString &key) const
{
    return platform::readProfileString(m_settingsPath, section, key, QStringLiteral("<missing>"));
}

TFormMain &MainWindowTest::createWindow()
{
    m_form = std::make_unique<TFormMain>();
    FormMain = m_form.get();
    static_cast<VantrelApplication *>(qApp)->setActionManager(m_form->ActionManager1);
    return *m_form;
}
