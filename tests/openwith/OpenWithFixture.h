#pragma once

#include "MainWindowTestSupport.h"
#include "app/Globals.h"
#include "app/Settings.h"
#include "imaging/FreeImageLoader.h"
#include "support/TempDir.h"

#include <QFile>
#include <QLineEdit>
#include <QTimer>

// The main window with its settings window, and a temporary tree for
// applications, as start-up wires them.
class OpenWithTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // The program binds FreeImage in main(); the stock images need it.
        LoadFreeImageLibrary();
        m_savedDataDirs = qgetenv("XDG_DATA_DIRS");
        m_savedDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_dir.mkdir(QStringLiteral("home")).toUtf8());
        qputenv("XDG_DATA_DIRS", (m_dir.mkdir(QStringLiteral("system")) + QStringLiteral(":/usr/share")).toUtf8());
    }
    void TearDown() override
    {
        FormSettings = nullptr;
        m_settings.reset();
        MainWindowTest::TearDown();
        qputenv("XDG_DATA_DIRS", m_savedDataDirs);
        qputenv("XDG_DATA_HOME", m_savedDataHome);
    }

    TFormMain &createBoth()
    {
        createWindow();
        // The browser hint would pop up modally in the middle of these tests.
        ShowTreeViewHint = false;
        m_form->TimerStartup->stop();
        m_settings = std::make_unique<TFormSettings>(m_form.get());
        FormSettings = m_settings.get();
        return *m_form;
    }

    QString executable(const QString &relative, const QByteArray &body = "#!/bin/sh\nexit 0\n")
    {
        const QString path = m_dir.write(relative, body);
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
        return path;
    }

    void setSlot(
        int n, const QString &path, const QString &name = {}, const QString &parameters = QStringLiteral("{filename}"))
    {
        FormSettings->EditApp(n)->setText(path);
        FormSettings->EditAppName(n)->setText(name);
        FormSettings->EditAppParameters(n)->setText(parameters);
    }

    TempDir m_dir;
    std::unique_ptr<TFormSettings> m_settings;
    QByteArray m_savedDataDirs;
    QByteArray m_savedDataHome;
};
