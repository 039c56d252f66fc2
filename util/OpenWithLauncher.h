#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Turning the selected files and a slot's parameter template into started
// applications. No widgets: the main window's buttons call this.

// The arguments a slot's parameter template gives for files. The template is
// split first, by the rules of QProcess::splitCommand (blanks separate, double
// quotes group, three double quotes in a row stand for one), and its first
// "{filename}" then stands for the files, each one whole argument whatever
// quotes surround the placeholder: a file name is never split or unquoted.
// Text before the placeholder in the same argument goes in front of the
// first file; text after it starts a new argument, as the blank after the
// last quoted file did when the files were written into the text. Without
// files the placeholder is nothing.
QStringList ExpandParametersTemplate(const QString &parameterTemplate, const QStringList &files);

// A program and its arguments, as they will be started.
struct LaunchCommand
{
    QString program;
    QStringList arguments;
    QString workingDirectory; // empty: the program's own
};

// The processes that starting the application at path on files runs, with
// the slot's parameter template:
// - an executable: one process, with the arguments ExpandParametersTemplate
//   gives;
// - a .desktop file: its Exec line by the desktop entry rules. The filled
//   template's arguments take the place of the file field code: %F and %U
//   start one process for all files, %f and %u one process per file (one
//   without files when none is selected); %U and %u pass the selected files
//   as file:// URLs. %i becomes "--icon" and the entry's icon, %c its name,
//   %k the entry's own path, %% a percent sign; other codes are dropped. An
//   entry without a file field code gets the arguments at its end.
//   Terminal=true wraps each process in the user's terminal.
// Empty when nothing can be started.
QList<LaunchCommand> BuildLaunchCommands(
    const QString &path, const QString &parameterTemplate, const QStringList &files);

// The terminal that a Terminal=true entry runs in and the arguments that come
// before the command: Debian's x-terminal-emulator with -e, else the first
// common terminal found on PATH with its own way of taking a command. An
// empty program when there is none.
LaunchCommand TerminalCommand();

// Starts the processes detached; nothing is awaited. False when any could
// not be started or there was nothing to start.
bool StartApplication(const QString &path, const QString &parameterTemplate, const QStringList &files);

// An application slot can be used when its path names an existing .desktop
// file or an existing file the user may execute.
bool IsUsableApplication(const QString &path);
