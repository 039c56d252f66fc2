#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempDir::TempDir()
    : m_dir(QDir::tempPath() + QStringLiteral("/vantrel-test-XXXXXX"))
{ }

QString TempDir::write(const QString &relative, const QByteArray &content) const
{
    const QString path = filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
    return path;
}

QString TempDir::mkdir(const QString &relative) const
{
    const QString path = filePath(relative);
    QDir().mkpath(path);
    return path;
}

QByteArray TempDir::readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString sourceDir()
{
    return qEnvironmentVariable("VANTREL_SOURCE_DIR");
}

QString binaryDir()
{
    return qEnvironmentVariable("VANTREL_BINARY_DIR");
}
