#include "util/OpenWithLauncher.h"

#include "util/AppIconLookup.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

const QString kPlaceholder = QStringLiteral("{filename}");
const QString kDesktopSuffix = QStringLiteral(".desktop");

enum class FileCode { None, One, All };

struct ExecLine
{
    QStringList before; // arguments ahead of the file field code
    QStringList after; // arguments after it
    FileCode files = FileCode::None;
    bool urls = false; // %u or %U
    bool valid = false;
};

// Expands the field codes of one Exec argument other than the file ones.
// %i stands alone and may become two arguments (or none), so this returns a list.
QStringList expandArgument(const QString &token, const DesktopEntry &entry, const QString &entryPath)
{
    if (token == QStringLiteral("%i"))
        return entry.icon.isEmpty() ? QStringList() : QStringList { QStringLiteral("--icon"), entry.icon };
    QString out;
    bool hadCode = false;
    for (qsizetype i = 0; i < token.size(); ++i) {
        const QChar c = token.at(i);
        if (c != QLatin1Char('%') || i + 1 >= token.size()) {
            out.append(c);
            continue;
        }
        const QChar code = token.at(++i);
        hadCode = true;
        switch (code.unicode()) {
        case '%':
            out.append(QLatin1Char('%'));
            break;
        case 'c':
            out.append(entry.name);
            break;
        case 'k':
            out.append(entryPath);
            break;
        default:
            break; // deprecated or unknown codes are removed
        }
    }
    // An argument that was only a code with nothing to stand for goes away.
    if (out.isEmpty() && hadCode)
        return {};
    return { out };
}

ExecLine parseExec(const DesktopEntry &entry, const QString &entryPath)
{
    ExecLine line;
    for (const QString &token : SplitDesktopExec(entry.exec)) {
        const bool one = token == QStringLiteral("%f") || token == QStringLiteral("%u");
        const bool all = token == QStringLiteral("%F") || token == QStringLiteral("%U");
        if (one || all) {
            // Only the first file code counts.
            if (line.files == FileCode::None) {
                line.files = one ? FileCode::One : FileCode::All;
                line.urls = token == QStringLiteral("%u") || token == QStringLiteral("%U");
            }
            continue;
        }
        (line.files == FileCode::None ? line.before : line.after) += expandArgument(token, entry, entryPath);
    }
    line.valid = !line.before.isEmpty();
    return line;
}

QStringList fileArguments(const QString &parameterTemplate, const QStringList &files, bool urls)
{
    if (!urls)
        return ExpandParametersTemplate(parameterTemplate, files);
    QStringList asUrls;
    for (const QString &file : files)
        asUrls.append(QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded));
    return ExpandParametersTemplate(parameterTemplate, asUrls);
}

LaunchCommand inTerminal(LaunchCommand command)
{
    LaunchCommand terminal = TerminalCommand();
    if (terminal.program.isEmpty())
        return command; // better started without a terminal than not at all
    terminal.arguments.append(command.program);
    terminal.arguments.append(command.arguments);
    terminal.workingDirectory = command.workingDirectory;
    return terminal;
}

QList<LaunchCommand> desktopCommands(const QString &path, const QString &parameterTemplate, const QStringList &files)
{
    const DesktopEntry entry = ReadDesktopEntry(path);
    const ExecLine line = parseExec(entry, path);
    if (!entry.valid || !line.valid)
        return {};
    QList<QStringList> perProcess;
    // One process per file only when the files are passed at all.
    const bool passesFiles = parameterTemplate.contains(kPlaceholder);
    if (line.files == FileCode::One && files.size() > 1 && passesFiles) {
        for (const QString &file : files)
            perProcess.append(fileArguments(parameterTemplate, { file }, line.urls));
    } else {
        perProcess.append(fileArguments(parameterTemplate, files, line.urls));
    }
    QList<LaunchCommand> commands;
    for (const QStringList &arguments : perProcess) {
        QStringList all = line.before + arguments + line.after;
        LaunchCommand command;
        command.program = all.takeFirst();
        command.arguments = all;
        if (!entry.path.isEmpty() && QFileInfo(entry.path).isDir())
            command.workingDirectory = entry.path;
        commands.append(entry.terminal ? inTerminal(command) : command);
    }
    return commands;
}

} // namespace

QStringList ExpandParametersTemplate(const QString &parameterTemplate, const QStringList &files)
{
    // Split first, so the quotes around a placeholder are gone before a file
    // name stands in for it, and nothing in a name is read as a quote or a
    // blank.
    QStringList arguments;
    bool expanded = false;
    for (const QString &argument : QProcess::splitCommand(parameterTemplate)) {
        const qsizetype at = expanded ? -1 : argument.indexOf(kPlaceholder, 0, Qt::CaseSensitive);
        if (at < 0) {
            arguments.append(argument);
            continue;
        }
        expanded = true;
        const QString before = argument.left(at);
        const QString after = argument.mid(at + kPlaceholder.size());
        if (!files.isEmpty()) {
            arguments.append(before + files.first());
            arguments.append(files.mid(1));
        } else if (!before.isEmpty()) {
            arguments.append(before);
        }
        // As the blank that ended the file list always made it: its own argument.
        if (!after.isEmpty())
            arguments.append(after);
    }
    return arguments;
}

QList<LaunchCommand> BuildLaunchCommands(
    const QString &path, const QString &parameterTemplate, const QStringList &files)
{
    if (path.endsWith(kDesktopSuffix))
        return desktopCommands(path, parameterTemplate, files);
    return { { path, fileArguments(parameterTemplate, files, false), {} } };
}

LaunchCommand TerminalCommand()
{
    // Each terminal's way of running the rest of its command line.
    static const struct
    {
        const char *program;
        const char *execArgument; // null: the command follows directly
    } terminals[] = {
        { "x-terminal-emulator", "-e" },
        { "gnome-terminal", "--" },
        { "konsole", "-e" },
        { "xfce4-terminal", "-x" },
        { "mate-terminal", "-x" },
        { "qterminal", "-e" },
        { "lxterminal", "-e" },
        { "terminator", "-x" },
        { "alacritty", "-e" },
        { "kitty", nullptr },
        { "foot", nullptr },
        { "xterm", "-e" },
    };
    for (const auto &terminal : terminals) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(terminal.program));
        if (found.isEmpty())
            continue;
        LaunchCommand command { found, {}, {} };
        if (terminal.execArgument)
            command.arguments.append(QString::fromLatin1(terminal.execArgument));
        return command;
    }
    return {};
}

bool StartApplication(const QString &path, const QString &parameterTemplate, const QStringList &files)
{
    const QList<LaunchCommand> commands = BuildLaunchCommands(path, parameterTemplate, files);
    if (commands.isEmpty())
        return false;
    bool allStarted = true;
    for (const LaunchCommand &command : commands) {
        if (command.program.isEmpty()
            || !QProcess::startDetached(command.program, command.arguments, command.workingDirectory))
            allStarted = false;
    }
    return allStarted;
}

bool IsUsableApplication(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    // A desktop entry is read, not run; anything else must be runnable.
    return path.endsWith(kDesktopSuffix) ? info.isReadable() : info.isExecutable();
}
