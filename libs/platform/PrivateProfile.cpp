#include "platform/PrivateProfile.h"

#include "platform/IniDocument.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

namespace {

// Loads the document a write starts from. A file that exists but cannot be
// read is never replaced: writing would lose what it holds.
bool loadForWrite(const QString &path, IniDocument &doc, QString *error)
{
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("No file name.");
        return false;
    }
    IniDocument::LoadStatus status;
    doc = IniDocument::load(path, &status);
    if (status == IniDocument::LoadStatus::Unreadable) {
        if (error)
            *error = QStringLiteral("The file cannot be read.");
        return false;
    }
    return true;
}

} // namespace

QString readProfileString(const QString &path, const QString &section, const QString &key,
                          const QString &defaultValue)
{
    const auto value = IniDocument::load(path).value(section, key);
    const QString result = value ? *value : defaultValue;
    return result.left(kProfileStringMaxLength);
}

bool writeProfileString(const QString &path, const QString &section, const QString &key,
                        const QString &value, QString *error)
{
    IniDocument doc;
    if (!loadForWrite(path, doc, error))
        return false;
    // A line break inside a value would split it into lines of their own.
    QString flat = value;
    flat.replace(QLatin1Char('\r'), QLatin1Char(' '));
    flat.replace(QLatin1Char('\n'), QLatin1Char(' '));
    doc.setValue(section, key, flat);
    return doc.save(path, error);
}

bool deleteProfileKey(const QString &path, const QString &section, const QString &key,
                      QString *error)
{
    IniDocument doc;
    if (!loadForWrite(path, doc, error))
        return false;
    if (!doc.removeKey(section, key))
        return true;
    return doc.save(path, error);
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
