#pragma once

#include "app/UnitMain.h"

#include <QString>

#include <gtest/gtest.h>

#include <memory>

// Each test starts without a settings file and at scale 96, and gets the
// main window wired to the application object as the program does.
class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes key=value lines into the settings file before the window exists.
    void writeSetting(const QString &section, const QString &key, const QString &value);
    QString readSetting(const QString &section, const QString &key) const;
    TFormMain &createWindow();

    QString m_settingsPath;
    std::unique_ptr<TFormMain> m_form;
    QStringList m_errors;
};
