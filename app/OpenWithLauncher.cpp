#include "app/OpenWithLauncher.h"

#include "util/AppIconLookup.h"

#include <QFileInfo>
#include <QProcess>

namespace {

const QString kPlaceholder = QStringLiteral("{filename}");
const QString kDesktopSuffix = QStringLiteral(".desktop");

bool isFileFieldCode(const QString &token)
{
    return token == QStringLiteral("%f") || token == QStringLiteral("%F") || token == QStringLiteral("%u")
        || token == QStringLiteral("%U");
}

// Field codes other than the file ones carry nothing we have; "%%" is a percent sign.
QString withoutFieldCodes(const QString &token)
{
    QString out;
    for (qsizetype i = 0; i < token.size(); ++i) {
        if (token.at(i) == QLatin1Char('%') && i + 1 < token.size()) {
            if (token.at(i + 1) == QLatin1Char('%'))
                out.append(QLatin1Char('%'));
            ++i;
            continue;
        }
        out.append(token.at(i));
    }
    return out;
}

LaunchCommand desktopCommand(const QString &path, const QStringList &files)
{
    const DesktopEntry entry = ReadDesktopEntry(path);
    const QStringList tokens = SplitDesktopExec(entry.exec);
    LaunchCommand command;
    bool placed = false;
    QStringList all;
    for (const QString &token : tokens) {
        if (isFileFieldCode(token)) {
            if (!placed)
                all += files;
            placed = true;
            continue;
        }
        const QString plain = withoutFieldCodes(token);
        if (!plain.isEmpty() || !token.contains(QLatin1Char('%')))
            all.append(plain);
    }
    if (all.isEmpty())
        return command;
    if (!placed)
        all += files;
    command.program = all.takeFirst();
    command.arguments = all;
    return command;
}

} // namespace

QString FilesCmdLine(const QStringList &files)
{
    QString line;
    for (QString file : files) {
        file.replace(QStringLiteral("\""), QStringLiteral("\"\"\""));
        line += QLatin1Char('"') + file + QStringLiteral("\" ");
    }
    return line;
}

QString ApplyParametersTemplate(const QString &parameterTemplate, const QString &fileList)
{
    QString parameters = parameterTemplate;
    const qsizetype at = parameters.indexOf(kPlaceholder, 0, Qt::CaseSensitive);
    if (at >= 0)
        parameters.replace(at, kPlaceholder.size(), fileList);
    return parameters;
}

LaunchCommand BuildLaunchCommand(const QString &path, const QString &parameters)
{
    const QStringList arguments = QProcess::splitCommand(parameters);
    if (path.endsWith(kDesktopSuffix))
        return desktopCommand(path, arguments);
    return {path, arguments};
}

bool StartApplication(const QString &path, const QString &parameters)
{
    const LaunchCommand command = BuildLaunchCommand(path, parameters);
    if (command.program.isEmpty())
        return false;
    return QProcess::startDetached(command.program, command.arguments);
}

bool IsUsableApplication(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}
