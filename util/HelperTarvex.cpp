#include "util/HelperTarvex.h"

#include <QFile>
#include <QFileInfo>

platform::Result<bool> CreateUnicodeIniFile(const QString &path)
{
    const auto failure = [&path](const QString &reason) {
        return platform::Result<bool>::failure(QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
    };
    if (QFileInfo::exists(path))
        return false;
    QFile file(path);
    // NewOnly: never truncate a file that appeared since the check above.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (file.error() == QFileDevice::OpenError && QFileInfo::exists(path))
            return false;
        return failure(file.errorString());
    }
    if (file.write("\xFF\xFE", 2) != 2 || !file.flush()) {
        const QString reason = file.errorString();
        file.close();
        file.remove();
        return failure(reason);
    }
    return true;
}

QString ExtractFileNameWithoutExt(const QString &path)
{
    QString name = path;
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    if (slash >= 0)
        name = name.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 ? name.left(dot) : name;
}
