#include "platform/PrivateProfile.h"

#include "platform/IniDocument.h"
#include "platform/IniEdit.h"

namespace platform {

QString readProfileString(const QString &path, const QString &section, const QString &key, const QString &defaultValue)
{
    const auto value = IniDocument::load(path).value(section, key);
    const QString result = value ? *value : defaultValue;
    return result.left(kProfileStringMaxLength);
}

bool writeProfileString(
    const QString &path, const QString &section, const QString &key, const QString &value, QString *error)
{
    bool stored = true;
    const bool saved
        = succeeded(editIniFile(path, [&](IniDocument &doc) { stored = doc.setValue(section, key, value); }), error);
    if (saved && !stored && error)
        *error = QStringLiteral("The name cannot be stored in an INI file.");
    return saved && stored;
}

bool deleteProfileKey(const QString &path, const QString &section, const QString &key, QString *error)
{
    return succeeded(editIniFile(path, [&](IniDocument &doc) { doc.removeKey(section, key); }), error);
}

int parseProfileInteger(const QString &text, int defaultValue)
{
    bool ok = false;
    if (text.size() > 2 && text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QStringView digits = QStringView(text).mid(2);
        const qulonglong value = digits.toULongLong(&ok, 16);
        // toULongLong accepts a sign; hexadecimal here is digits only.
        const bool digitsOnly = !digits.startsWith(QLatin1Char('+')) && !digits.startsWith(QLatin1Char('-'));
        if (!ok || !digitsOnly || value > 0xFFFFFFFFull)
            return defaultValue;
        return int(quint32(value));
    }
    const int value = text.toInt(&ok, 10);
    return ok ? value : defaultValue;
}

} // namespace platform
