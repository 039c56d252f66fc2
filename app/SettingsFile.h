#pragma once

#include "platform/IniDocument.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

class QWidget;

// The path of the settings file: <local data>/Tarvex/Vantrel/<executable>.ini,
// making the folder on the way. Empty when the data folder is unknown or
// anything fails; never throws.
QString GetSettingsFileName();

// One opened settings file. Reads never fail: a missing file, section or key,
// or an unreadable file gives the default; the file is read once, at the
// first read. Writes are collected and reach the disk together, in one load
// and one atomic replace, at Save(), which fails with
// "Unable to write to <path>" when it cannot. Writes never saved are saved,
// as well as they can be, when the object goes away.
class SettingsFile
{
public:
    explicit SettingsFile(QString path);
    ~SettingsFile();
    SettingsFile(const SettingsFile &) = delete;
    SettingsFile &operator=(const SettingsFile &) = delete;

    const QString &path() const { return m_path; }

    QString ReadString(const QString &section, const QString &key, const QString &defaultValue) const;
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;
    bool ReadBool(const QString &section, const QString &key, bool defaultValue) const;

    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);
    void WriteBool(const QString &section, const QString &key, bool value);

    platform::Result<> Save();

private:
    struct Write
    {
        QString section;
        QString key;
        QString value;
    };

    const platform::IniDocument &document() const;

    QString m_path;
    mutable std::optional<platform::IniDocument> m_document;
    std::vector<Write> m_pending;
};

// "Window" / "State" (1 normal, 0 maximized or minimized) and, only in the
// normal state, "X", "Y", "Width", "Height" of the main window. Both the main
// window and the settings window save them by this one rule.
void SaveWindowBounds(SettingsFile &ini, const QWidget *mainWindow);

// The "Scaling" values the settings window offers, in the order of its list:
// 0 means the monitor's own DPI.
inline constexpr std::array<int, 6> kDisplayScalingValues = { 0, 96, 120, 144, 168, 192 };

// The scales start-up takes from the settings file, beyond the ones the
// settings window offers (a hand-edited 108 is meant): from three quarters of
// the designed 96, below which the designed text no longer reads, to five
// times it, the densest screens made. A tiny or negative scale would lay the
// window out off-screen or without its panels.
inline constexpr int kDisplayScalingMin = 72;
inline constexpr int kDisplayScalingMax = 480;

// "Display" / "Scaling" as start-up uses it: a value outside
// kDisplayScalingMin...kDisplayScalingMax reads as 0, the monitor's own DPI.
int ReadDisplayScaling(const SettingsFile &ini);
