#include "app/SettingsFile.h"

#include "platform/PrivateProfile.h"
#include "util/HelperTarvex.h"
#include "util/SpecialFolders.h"
#include "util/VantrelError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

QString GetSettingsFileName()
{
    try {
        const QString base = GetSpecialFolderPath(CSIDL_LOCAL_APPDATA);
        // Without a data folder the path would land in the file-system root.
        if (base.isEmpty())
            return {};
        const QString folder = base + QStringLiteral("/Tarvex/Vantrel/");
        QDir().mkpath(folder);
        const QString executable = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        const QString name = executable.isEmpty() ? QStringLiteral("vantrel") : ExtractFileNameWithoutExt(executable);
        return folder + name + QStringLiteral(".ini");
    } catch (...) {
        return {};
    }
}

SettingsFile::SettingsFile(QString path)
    : m_path(std::move(path))
{
}

QString SettingsFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    return platform::readProfileString(m_path, section, key, defaultValue);
}

int SettingsFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const
{
    const QString text = ReadString(section, key, QString());
    if (text.isEmpty())
        return defaultValue;
    return platform::parseProfileInteger(text, defaultValue);
}

bool SettingsFile::ReadBool(const QString &section, const QString &key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void SettingsFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    if (!platform::writeProfileString(m_path, section, key, value))
        throw VantrelError(QStringLiteral("Unable to write to %1").arg(m_path));
}

void SettingsFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

void SettingsFile::WriteBool(const QString &section, const QString &key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void SaveWindowBounds(SettingsFile &ini, const QWidget *mainWindow)
{
    const QString window = QStringLiteral("Window");
    const Qt::WindowStates state = mainWindow->windowState();
    const bool normal = !(state & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    ini.WriteInteger(window, QStringLiteral("State"), normal ? 1 : 0);
    if (!normal)
        return;
    // The client size, not the frame: the frame is unknown until the window
    // manager has drawn it, and storing it would grow the window each run.
    ini.WriteInteger(window, QStringLiteral("X"), mainWindow->x());
    ini.WriteInteger(window, QStringLiteral("Y"), mainWindow->y());
    ini.WriteInteger(window, QStringLiteral("Width"), mainWindow->width());
    ini.WriteInteger(window, QStringLiteral("Height"), mainWindow->height());
}
