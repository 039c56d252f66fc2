#include "app/StartupFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

QString localPathOf(const QString &argument, const QString &currentFolder)
{
    if (argument.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) {
        const QUrl url(argument);
        return url.isLocalFile() ? url.toLocalFile() : QString();
    }
    return QDir(currentFolder).absoluteFilePath(argument);
}

} // namespace

StartupLocation StartupLocationFromArguments(const QStringList &arguments, const QString &currentFolder)
{
    for (const QString &argument : arguments) {
        if (argument.isEmpty())
            continue;
        const QString path = localPathOf(argument, currentFolder);
        if (path.isEmpty())
            continue;
        const QFileInfo info(path);
        if (info.isDir())
            return { QDir::cleanPath(info.absoluteFilePath()), {} };
        if (info.isFile())
            return { QDir::cleanPath(info.absolutePath()), QDir::cleanPath(info.absoluteFilePath()) };
    }
    return {};
}
