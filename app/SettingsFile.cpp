#include "app/SettingsFile.h"

#include "platform/IniEdit.h"
#include "platform/PrivateProfile.h"
#include "util/HelperTarvex.h"
#include "util/SpecialFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

#include <utility>

QString GetSettingsFileName()
{
    const QString base = GetSpecialFolderPath(CSIDL_LOCAL_APPDATA);
    // Without a data folder the path would land in the file-system root.
    if (base.isEmpty())
        return {};
    const QString folder = base + QStringLiteral("/Tarvex/Vantrel/");
    QDir().mkpath(folder);
    const QString executable = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QString name = executable.isEmpty() ? QStringLiteral("vantrel") : ExtractFileNameWithoutExt(executable);
    return folder + name + QStringLiteral(".ini");
}

SettingsFile::SettingsFile(QString path)
    : m_path(std::move(path))
{ }

SettingsFile::~SettingsFile()
{
    // Nothing can be reported from here; Save() is where errors are told.
    if (!m_pending.empty())
        (void)Save();
}

const platform::IniDocument &SettingsFile::document() const
{
    if (!m_document)
        m_document = platform::IniDocument::load(m_path);
    return *m_document;
}

QString SettingsFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const auto value = document().value(section, key);
    return (value ? *value : defaultValue).left(platform::kProfileStringMaxLength);
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
    m_pending.push_back({ section, key, value });
    // Later reads through this object see the value as the file will hold it.
    if (m_document)
        m_document->setValue(section, key, value);
}

void SettingsFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

void SettingsFile::WriteBool(const QString &section, const QString &key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

platform::Result<> SettingsFile::Save()
{
    const std::vector<Write> writes = std::exchange(m_pending, {});
    platform::IniDocument::LoadStatus status = platform::IniDocument::LoadStatus::Ok;
    const platform::Result<> saved = platform::editIniFile(
        m_path,
        [&](platform::IniDocument &doc) {
            for (const Write &write : writes)
                doc.setValue(write.section, write.key, write.value);
        },
        &status);
    if (saved)
        return saved;
    QString message = QStringLiteral("Unable to write to %1").arg(m_path);
    // A file too large to be settings is refused on purpose: say so, or the
    // user could not tell why the write failed.
    if (status == platform::IniDocument::LoadStatus::TooLarge)
        message += QStringLiteral("\n\n") + platform::IniDocument::describe(status);
    return platform::Result<>::failure(message);
}

int ReadDisplayScaling(const SettingsFile &ini)
{
    const int scaling = ini.ReadInteger(QStringLiteral("Display"), QStringLiteral("Scaling"), 0);
    return scaling >= kDisplayScalingMin && scaling <= kDisplayScalingMax ? scaling : 0;
}

void SaveWindowBounds(SettingsFile &ini, const QWidget *mainWindow)
{
    const QString window = QStringLiteral("Window");
    const Qt::WindowStates state = mainWindow->windowState();
    const bool normal = !(state & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    ini.WriteInteger(window, QStringLiteral("State"), normal ? 1 : 0);
    if (!normal)
        return;
    // The client area's place and size, the terms LoadSettings restores
    // with setGeometry. The frame is unknown until the window manager has
    // drawn it: saving its corner and restoring the client there moved the
    // window by the frame's size at every restart.
    const QRect client = mainWindow->geometry();
    ini.WriteInteger(window, QStringLiteral("X"), client.x());
    ini.WriteInteger(window, QStringLiteral("Y"), client.y());
    ini.WriteInteger(window, QStringLiteral("Width"), client.width());
    ini.WriteInteger(window, QStringLiteral("Height"), client.height());
}
