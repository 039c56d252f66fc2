#pragma once

#include <QString>
#include <QStringList>

// Turning the selected files and a slot's parameter template into a started
// application. No widgets: the main window's buttons call this.

// Each file in double quotes followed by one blank; empty for no files. A
// double quote inside a path is written as three, which the argument
// splitting below reads back as one, so such a path arrives intact.
QString FilesCmdLine(const QStringList &files);

// The template with its first "{filename}" (exactly so spelt) replaced by the
// file list; later occurrences stay as they are.
QString ApplyParametersTemplate(const QString &parameterTemplate, const QString &fileList);

// A program and its arguments, as they will be started.
struct LaunchCommand
{
    QString program;
    QStringList arguments;
};

// What starting the application at path with the parameter string runs: an
// executable gets the parameters split by double-quote grouping
// (QProcess::splitCommand); a .desktop file runs its Exec line with the
// parameters in place of its file field code (%f, %F, %u, %U), or after it
// when it has none. An empty program when nothing can be started.
LaunchCommand BuildLaunchCommand(const QString &path, const QString &parameters);

// Starts the command detached in the current working folder; nothing is
// awaited. False when it could not be started.
bool StartApplication(const QString &path, const QString &parameters);

// An application slot can be used when its path names an existing file.
bool IsUsableApplication(const QString &path);
