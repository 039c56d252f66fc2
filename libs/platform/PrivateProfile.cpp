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

Result<> writeProfileString(const QString &path, const QString &section, const QString &key, const QString &value)
{
    bool stored = true;
    Result<> saved = editIniFile(path, [&](IniDocument &doc) { stored = doc.setValue(section, key, value); });
    if (saved && !stored)
        return Result<>::failure(QStringLiteral("The name cannot be stored in an INI file."));
    return saved;
}

Result<> deleteProfileKey(const QString &path, const QString &section, const QString &key)
{
    return editIniFile(path, [&](IniDocument &doc) { doc.removeKey(section, key); });
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
