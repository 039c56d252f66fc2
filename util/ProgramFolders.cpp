#include "util/ProgramFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString ProgramDataFile(const QString &relativePath)
{
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QString beside = programFolder.filePath(relativePath);
    if (QFileInfo::exists(beside))
        return beside;
    // Set by the build from the install layout, relative to the executable's
    // folder, so an installed tree can be moved as a whole.
    const QString installed
        = QDir::cleanPath(programFolder.filePath(QStringLiteral(VANTREL_BIN_TO_DATADIR "/") + relativePath));
    return QFileInfo::exists(installed) ? installed : beside;
}

QString PrivateLibraryFolder(const QString &executableFolder)
{
    return QDir::cleanPath(executableFolder + QStringLiteral("/" VANTREL_BIN_TO_PRIVATE_LIBDIR));
}
