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
    // Another scheme's URL (http://...) names no file here at all.
    const QUrl url(argument, QUrl::StrictMode);
    if (url.isValid() && url.scheme().size() > 1 && argument.contains(QStringLiteral("://")))
        return {};
    return QDir(currentFolder).absoluteFilePath(argument);
}

} // namespace

StartupLocation StartupLocationFromArguments(const QStringList &arguments, const QString &currentFolder)
{
    StartupLocation location;
    for (const QString &argument : arguments) {
        if (argument.isEmpty() || argument.startsWith(QLatin1Char('-')))
            continue;
        const QString path = localPathOf(argument, currentFolder);
        if (path.isEmpty())
            continue;
        const QFileInfo info(path);
        if (info.isDir()) {
            location.folder = QDir::cleanPath(info.absoluteFilePath());
            return location;
        }
        if (info.isFile()) {
            location.folder = QDir::cleanPath(info.absolutePath());
            location.file = QDir::cleanPath(info.absoluteFilePath());
            return location;
        }
        if (location.missing.isEmpty())
            location.missing = QDir::cleanPath(path);
    }
    return location;
}
