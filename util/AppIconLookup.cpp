#include "util/AppIconLookup.h"

#include "util/HelperTarvex.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStandardPaths>
#include <QTextStream>

#include <algorithm>

namespace {

const QString DesktopSuffix = QStringLiteral(".desktop");

QString unescapeValue(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 >= value.size()) {
            out.append(c);
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's':
            out.append(QLatin1Char(' '));
            break;
        case 'n':
            out.append(QLatin1Char('\n'));
            break;
        case 't':
            out.append(QLatin1Char('\t'));
            break;
        case 'r':
            out.append(QLatin1Char('\r'));
            break;
        case '\\':
            out.append(QLatin1Char('\\'));
            break;
        default:
            out.append(QLatin1Char('\\')).append(next);
            break;
        }
    }
    return out;
}

// XDG data folders in order of precedence: the user's first.
QStringList dataFolders()
{
    QStringList folders;
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.local/share");
    folders.append(home);
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString &d : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (!folders.contains(d))
            folders.append(d);
    return folders;
}

QString canonical(const QString &path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? QFileInfo(path).absoluteFilePath() : c;
}

// The canonical path of the file an Exec/TryExec program token starts, by
// absolute path or through PATH; empty when it names nothing.
QString resolveProgram(const QString &program)
{
    if (program.isEmpty())
        return {};
    if (program.startsWith(QLatin1Char('/')))
        return QFileInfo(program).isFile() ? canonical(program) : QString();
    const QString found = QStandardPaths::findExecutable(program);
    return found.isEmpty() ? QString() : canonical(found);
}

// The program an Exec line runs, past a leading "env NAME=value ...".
QString execProgram(const QString &exec)
{
    const QStringList args = SplitDesktopExec(exec);
    qsizetype i = 0;
    if (i < args.size() && (args[i] == QStringLiteral("env") || args[i].endsWith(QStringLiteral("/env")))) {
        ++i;
        while (i < args.size() && (args[i].contains(QLatin1Char('=')) || args[i].startsWith(QLatin1Char('-'))))
            ++i;
    }
    return i < args.size() ? args[i] : QString();
}

// Reading every .desktop file of a desktop (hundreds) for each lookup would
// cost tens of milliseconds on the GUI thread, so parsed entries are kept and
// read again only when a file's time stamp or size changes (or PATH does).
struct IndexedEntry
{
    QDateTime modified;
    qint64 size = -1;
    bool usable = false;
    QString tryExecTarget;
    QString execTarget;
};

const IndexedEntry &indexedEntry(const QFileInfo &file)
{
    static QHash<QString, IndexedEntry> cache;
    static QString cachedPath;
    const QString path = qEnvironmentVariable("PATH");
    if (path != cachedPath) {
        cache.clear();
        cachedPath = path;
    }
    IndexedEntry &slot = cache[file.absoluteFilePath()];
    const QDateTime modified = file.lastModified();
    if (slot.size == file.size() && slot.modified == modified)
        return slot;
    const DesktopEntry entry = ReadDesktopEntry(file.absoluteFilePath());
    slot.modified = modified;
    slot.size = file.size();
    slot.usable = entry.valid && !entry.hidden;
    slot.tryExecTarget = resolveProgram(entry.tryExec);
    slot.execTarget = resolveProgram(execProgram(entry.exec));
    return slot;
}

// hicolor, the theme every desktop inherits from, holds application icons
// only; generic pictures and many icons entries name (utilities-terminal)
// live in the desktop's own theme, so one that has them is the fallback.
void useDesktopThemeAsFallback()
{
    if (QIcon::hasThemeIcon(GenericApplicationIconName))
        return;
    static const QStringList themes = { QStringLiteral("Adwaita"), QStringLiteral("breeze"), QStringLiteral("gnome") };
    for (const QString &theme : themes) {
        for (const QString &folder : QIcon::themeSearchPaths()) {
            if (QFileInfo::exists(folder + QLatin1Char('/') + theme + QStringLiteral("/index.theme"))) {
                QIcon::setFallbackThemeName(theme);
                // Themes already read keep their old fallback until the
                // loader reads them again.
                QIcon::setThemeSearchPaths(QIcon::themeSearchPaths());
                return;
            }
        }
    }
}

// Without a platform theme (offscreen, bare X servers) Qt knows no icon
// folders; give it the XDG ones, the theme every desktop inherits from and
// its fallback, all before the first lookup: an icon found once must be
// found the same way after a restart, whatever was looked up first.
void ensureIconTheme()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    if (!QIcon::themeName().isEmpty())
        return;
    QStringList themePaths = QIcon::themeSearchPaths();
    QStringList pixmapPaths = QIcon::fallbackSearchPaths();
    themePaths.prepend(QDir::homePath() + QStringLiteral("/.icons"));
    for (const QString &d : dataFolders()) {
        themePaths.append(d + QStringLiteral("/icons"));
        pixmapPaths.append(d + QStringLiteral("/pixmaps"));
    }
    themePaths.removeDuplicates();
    pixmapPaths.removeDuplicates();
    QIcon::setThemeSearchPaths(themePaths);
    QIcon::setFallbackSearchPaths(pixmapPaths);
    QIcon::setThemeName(QStringLiteral("hicolor"));
    useDesktopThemeAsFallback();
}

QString genericIconName()
{
    ensureIconTheme();
    return QIcon::hasThemeIcon(GenericApplicationIconName) ? GenericApplicationIconName : QString();
}

QIcon iconFromName(const QString &name)
{
    if (name.isEmpty())
        return {};
    if (name.startsWith(QLatin1Char('/'))) {
        if (!QFileInfo(name).isFile())
            return {};
        QIcon icon(name);
        return icon.availableSizes().isEmpty() && icon.pixmap(QSize(48, 48)).isNull() ? QIcon() : icon;
    }
    ensureIconTheme();
    QIcon icon = QIcon::fromTheme(name);
    // Some entries name their theme icon with a file extension, which the
    // theme lookup does not expect.
    static const QStringList extensions = { QStringLiteral(".png"), QStringLiteral(".svg"), QStringLiteral(".xpm") };
    for (const QString &extension : extensions)
        if (icon.isNull() && name.endsWith(extension))
            icon = QIcon::fromTheme(name.chopped(extension.size()));
    return icon;
}

} // namespace

const QString GenericApplicationIconName = QStringLiteral("application-x-executable");

DesktopEntry ReadDesktopEntry(const QString &path)
{
    DesktopEntry entry;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entry;
    QTextStream in(&file);
    bool inGroup = false;
    bool seenName = false, seenIcon = false, seenExec = false, seenTryExec = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            if (inGroup)
                break;
            inGroup = line == QStringLiteral("[Desktop Entry]");
            entry.valid = entry.valid || inGroup;
            continue;
        }
        if (!inGroup)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = unescapeValue(line.mid(eq + 1).trimmed());
        // The first occurrence of a key counts.
        if (key == QStringLiteral("Name") && !seenName) {
            entry.name = value;
            seenName = true;
        } else if (key == QStringLiteral("Icon") && !seenIcon) {
            entry.icon = value;
            seenIcon = true;
        } else if (key == QStringLiteral("Exec") && !seenExec) {
            entry.exec = value;
            seenExec = true;
        } else if (key == QStringLiteral("TryExec") && !seenTryExec) {
            entry.tryExec = value;
            seenTryExec = true;
        } else if (key == QStringLiteral("Hidden")) {
            entry.hidden = value == QStringLiteral("true");
        } else if (key == QStringLiteral("Terminal")) {
            entry.terminal = value == QStringLiteral("true");
        } else if (key == QStringLiteral("Path")) {
            entry.path = value;
        }
    }
    return entry;
}

QStringList SplitDesktopExec(const QString &exec)
{
    QStringList args;
    QString current;
    bool inQuotes = false;
    bool haveArg = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('\\') && i + 1 < exec.size()) {
                current.append(exec.at(++i));
            } else if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else {
                current.append(c);
            }
        } else if (c == QLatin1Char('"')) {
            inQuotes = true;
            haveArg = true;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (haveArg)
                args.append(current);
            current.clear();
            haveArg = false;
        } else {
            current.append(c);
            haveArg = true;
        }
    }
    if (haveArg)
        args.append(current);
    return args;
}

QString FindDesktopEntryForExecutable(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    const QString target = canonical(path);
    QSet<QString> seenIds;
    for (const QString &folder : dataFolders()) {
        const QString apps = folder + QStringLiteral("/applications");
        if (!QFileInfo(apps).isDir())
            continue;
        QList<QFileInfo> files;
        QDirIterator it(apps, { QStringLiteral("*.desktop") }, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            files.append(it.fileInfo());
        }
        std::sort(files.begin(), files.end(),
            [](const QFileInfo &a, const QFileInfo &b) { return a.filePath() < b.filePath(); });
        for (const QFileInfo &file : files) {
            // The desktop-file id: the path below applications/ with '/' as '-'.
            QString id = file.filePath().mid(apps.size() + 1);
            id.replace(QLatin1Char('/'), QLatin1Char('-'));
            if (seenIds.contains(id))
                continue;
            seenIds.insert(id);
            const IndexedEntry &entry = indexedEntry(file);
            if (entry.usable && (entry.tryExecTarget == target || entry.execTarget == target))
                return file.filePath();
        }
    }
    return {};
}

QString ApplicationDisplayName(const QString &path)
{
    if (path.endsWith(DesktopSuffix)) {
        const DesktopEntry entry = ReadDesktopEntry(path);
        if (entry.valid && !entry.name.isEmpty())
            return entry.name;
    }
    return ExtractFileNameWithoutExt(path);
}

QString ApplicationIconName(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return {};
    if (path.endsWith(DesktopSuffix)) {
        const QString icon = ReadDesktopEntry(path).icon;
        return icon.isEmpty() ? genericIconName() : icon;
    }
    const QString desktop = FindDesktopEntryForExecutable(path);
    if (!desktop.isEmpty()) {
        const QString icon = ReadDesktopEntry(desktop).icon;
        if (!icon.isEmpty())
            return icon;
    }
    ensureIconTheme();
    const QString name = info.fileName();
    if (QIcon::hasThemeIcon(name))
        return name;
    const QString base = info.completeBaseName();
    if (base != name && !base.isEmpty() && QIcon::hasThemeIcon(base))
        return base;
    return info.isExecutable() ? genericIconName() : QString();
}

QIcon ApplicationIcon(const QString &path)
{
    return iconFromName(ApplicationIconName(path));
}

QImage ApplicationIconImage(const QString &path, QSize size)
{
    const QIcon icon = ApplicationIcon(path);
    if (icon.isNull())
        return {};
    const QImage image = icon.pixmap(size).toImage();
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}
