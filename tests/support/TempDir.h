#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary folder tree for file tests, removed with the fixture.
class TempDir
{
public:
    TempDir();

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &relative) const { return m_dir.filePath(relative); }

    // Writes a file (making parent folders) and returns its full path.
    QString write(const QString &relative, const QByteArray &content) const;
    // Makes a folder (and its parents) and returns its full path.
    QString mkdir(const QString &relative) const;

    static QByteArray readAll(const QString &path);

private:
    QTemporaryDir m_dir;
};

// Folder of the source tree and of the build tree, as passed by ctest.
QString sourceDir();
QString binaryDir();
