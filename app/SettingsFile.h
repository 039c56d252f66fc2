#pragma once

#include <QString>

class QWidget;

// The path of the settings file: <local data>/Tarvex/Vantrel/<executable>.ini,
// making the folder on the way. Empty when the data folder is unknown or
// anything fails; never throws.
QString GetSettingsFileName();

// One opened settings file. Reads never fail: a missing file, section or key,
// or an unreadable file gives the default. Every write goes to disk at once
// and throws VantrelError "Unable to write to <path>" when it cannot.
class SettingsFile
{
public:
    explicit SettingsFile(QString path);

    const QString &path() const { return m_path; }

    QString ReadString(const QString &section, const QString &key, const QString &defaultValue) const;
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;
    bool ReadBool(const QString &section, const QString &key, bool defaultValue) const;

    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);
    void WriteBool(const QString &section, const QString &key, bool value);

private:
    QString m_path;
};

// "Window" / "State" (1 normal, 0 maximized or minimized) and, only in the
// normal state, "X", "Y", "Width", "Height" of the main window. Both the main
// window and the settings window save them by this one rule.
void SaveWindowBounds(SettingsFile &ini, const QWidget *mainWindow);
