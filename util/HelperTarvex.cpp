#include "util/HelperTarvex.h"

#include "util/VantrelError.h"

#include <QFile>
#include <QFileInfo>

bool CreateUnicodeIniFile(const QString &path)
{
    if (QFileInfo::exists(path))
        return false;
    QFile file(path);
    // NewOnly: never truncate a file that appeared since the check above.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (file.error() == QFileDevice::OpenError && QFileInfo::exists(path))
            return false;
        throw VantrelError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
    }
    if (file.write("\xFF\xFE", 2) != 2 || !file.flush()) {
        const QString reason = file.errorString();
        file.close();
        file.remove();
        throw VantrelError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
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
