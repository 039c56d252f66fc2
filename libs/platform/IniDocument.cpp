#include "platform/IniDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>

namespace platform {

namespace {

bool isCommentOrBlank(const QString &trimmed)
{
    return trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';'));
}

// The section name of a header line, or nothing when the line is no header.
std::optional<QString> headerName(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    const QString name = close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1);
    return name.trimmed();
}

struct KeyLine
{
    QString name;
    QString rawValue;
};

std::optional<KeyLine> keyLine(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (isCommentOrBlank(trimmed) || trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
    if (eq < 0)
        return KeyLine { trimmed, QString() };
    return KeyLine { trimmed.left(eq).trimmed(), trimmed.mid(eq + 1) };
}

bool isLineBreak(QChar c)
{
    switch (c.unicode()) {
    case u'\n':
    case u'\r':
    case u'\v':
    case u'\f':
    case 0x0085:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}

bool isQuote(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

// Names as the file can hold them, or nothing when the reader would see a
// different name or a different kind of line.
std::optional<QString> storableSection(const QString &name)
{
    QString flat = flattenIniText(name);
    if (flat.contains(QLatin1Char(']')))
        return std::nullopt;
    return flat;
}

std::optional<QString> storableKey(const QString &name)
{
    QString flat = flattenIniText(name);
    const QString trimmed = flat.trimmed();
    if (flat.contains(QLatin1Char('=')) || trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    return flat;
}

// The text before a NUL: what a reader of C strings sees, so a NUL in the
// file never travels on inside a value.
QString beforeNul(const QString &line)
{
    const qsizetype nul = line.indexOf(QChar(u'\0'));
    return nul < 0 ? line : line.left(nul);
}

// Names compare as they would be stored, so a name with a line break finds
// what a write with the same name made, and a hand-written name holding a
// form feed is still found.
bool sameName(const QString &a, const QString &b)
{
    if (!holdsLineBreak(a) && !holdsLineBreak(b))
        return QStringView(a).trimmed().compare(QStringView(b).trimmed(), Qt::CaseInsensitive) == 0;
    return flattenIniText(a).trimmed().compare(flattenIniText(b).trimmed(), Qt::CaseInsensitive) == 0;
}

} // namespace

QString iniLookupName(const QString &name)
{
    // As sameName compares: only a name holding a line break is flattened.
    return (holdsLineBreak(name) ? flattenIniText(name) : name).trimmed().toCaseFolded();
}

std::optional<QString> IniSectionValues::value(const QString &key) const
{
    const auto found = m_values.constFind(iniLookupName(key));
    if (found == m_values.cend())
        return std::nullopt;
    return *found;
}

QString unquoteIniValue(const QString &raw)
{
    QString value = raw.trimmed();
    if (value.size() >= 2) {
        const QChar first = value.front();
        if (isQuote(first) && value.back() == first)
            value = value.mid(1, value.size() - 2);
    }
    return value;
}

QString quoteIniValue(const QString &value)
{
    if (value.isEmpty())
        return value;
    const QChar first = value.front();
    const QChar last = value.back();
    if (first.isSpace() || last.isSpace() || isQuote(first) || isQuote(last))
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

QString flattenIniText(const QString &text)
{
    QString flat = beforeNul(text);
    for (QChar &c : flat) {
        if (isLineBreak(c))
            c = QLatin1Char(' ');
    }
    return flat;
}

bool holdsLineBreak(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return isLineBreak(c) || c.isNull(); });
}

IniDocument IniDocument::fromText(const QString &text)
{
    IniDocument doc;
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    doc.m_lines = normalized.split(QLatin1Char('\n'));
    // A final line break leaves one empty piece that is no line of its own.
    if (!doc.m_lines.isEmpty() && doc.m_lines.back().isEmpty())
        doc.m_lines.removeLast();
    for (QString &line : doc.m_lines)
        line = beforeNul(line);
    return doc;
}

QString IniDocument::decode(const QByteArray &bytes)
{
    const auto utf16 = [](QStringDecoder::Encoding encoding, QByteArrayView body) {
        QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
        QString text = decoder(body.first(body.size() & ~qsizetype(1)));
        if (body.size() % 2)
            text += QChar(QChar::ReplacementCharacter);
        return text;
    };
    if (bytes.startsWith("\xFF\xFE"))
        return utf16(QStringDecoder::Utf16LE, QByteArrayView(bytes).sliced(2));
    if (bytes.startsWith("\xFE\xFF"))
        return utf16(QStringDecoder::Utf16BE, QByteArrayView(bytes).sliced(2));
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        return decoder(QByteArrayView(bytes).sliced(3));
    }
    QStringDecoder strict(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = strict(bytes);
    if (!strict.hasError())
        return text;
    // Not UTF-8: an 8-bit file written by hand or by an older tool. Latin-1
    // maps every byte to one character, so each survives the next save.
    return QString::fromLatin1(bytes);
}

IniDocument IniDocument::load(const QString &path, LoadStatus *status)
{
    auto report = [status](LoadStatus s) {
        if (status)
            *status = s;
    };
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        report(LoadStatus::Missing);
        return {};
    }
    // A folder, a pipe or a device in the file's place is nothing to parse,
    // and opening a pipe would wait for a writer.
    if (!info.isFile()) {
        report(LoadStatus::Unreadable);
        return {};
    }
    if (info.size() > kMaxFileSize) {
        report(LoadStatus::TooLarge);
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        report(LoadStatus::Unreadable);
        return {};
    }
    // One byte past the cap tells a file that grew since the size check.
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        report(LoadStatus::Unreadable);
        return {};
    }
    if (bytes.size() > kMaxFileSize) {
        report(LoadStatus::TooLarge);
        return {};
    }
    report(LoadStatus::Ok);
    return fromText(decode(bytes));
}

QString IniDocument::describe(LoadStatus status)
{
    switch (status) {
    case LoadStatus::Unreadable:
        return QStringLiteral("The file cannot be read, so it is left as it is.");
    case LoadStatus::TooLarge:
        return QStringLiteral("The file is larger than %1 KiB, more than settings ever need, so it is left as it is.")
            .arg(kMaxFileSize / 1024);
    case LoadStatus::Ok:
    case LoadStatus::Missing:
        break;
    }
    return {};
}

QString IniDocument::toText() const
{
    QString text;
    for (const QString &line : m_lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    return text;
}

QByteArray IniDocument::encode(const QString &text)
{
    QByteArray bytes("\xFF\xFE", 2);
    bytes.reserve(2 + text.size() * 2);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        bytes.append(char(u & 0xFF));
        bytes.append(char(u >> 8));
    }
    return bytes;
}

Result<> IniDocument::save(const QString &path) const
{
    auto fail = [](const QString &reason) { return Result<>::failure(reason); };
    if (path.isEmpty())
        return fail(QStringLiteral("No file name."));
    const QFileInfo info(path);
    if (info.exists() && !info.isWritable())
        return fail(QStringLiteral("Permission denied"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    const QByteArray bytes = encode(toText());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return {};
}

int IniDocument::findSection(const QString &section) const
{
    for (int i = 0; i < m_lines.size(); ++i) {
        const auto name = headerName(m_lines[i]);
        if (name && sameName(*name, section))
            return i;
    }
    return -1;
}

int IniDocument::sectionEnd(int header) const
{
    for (int i = header + 1; i < m_lines.size(); ++i) {
        if (headerName(m_lines[i]))
            return i;
    }
    return int(m_lines.size());
}

int IniDocument::findKey(int header, const QString &key) const
{
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const auto line = keyLine(m_lines[i]);
        if (line && sameName(line->name, key))
            return i;
    }
    return -1;
}

std::optional<QString> IniDocument::value(const QString &section, const QString &key) const
{
    const int header = findSection(section);
    if (header < 0)
        return std::nullopt;
    const int index = findKey(header, key);
    if (index < 0)
        return std::nullopt;
    return unquoteIniValue(keyLine(m_lines[index])->rawValue);
}

bool IniDocument::hasSection(const QString &section) const
{
    return findSection(section) >= 0;
}

QStringList IniDocument::sections() const
{
    QStringList names;
    for (const QString &line : m_lines) {
        if (const auto name = headerName(line))
            names.append(*name);
    }
    return names;
}

QStringList IniDocument::keys(const QString &section) const
{
    QStringList names;
    const int header = findSection(section);
    if (header < 0)
        return names;
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        if (const auto line = keyLine(m_lines[i]))
            names.append(line->name);
    }
    return names;
}

QHash<QString, IniSectionValues> IniDocument::sectionIndex() const
{
    QHash<QString, IniSectionValues> index;
    QString name; // the section being read, by its lookup name
    IniSectionValues values;
    bool reading = false; // false before the first header and in a repeated section
    const auto finishSection = [&] {
        if (reading)
            index.insert(name, std::move(values));
        values = {};
        reading = false;
    };
    for (const QString &line : m_lines) {
        if (const auto header = headerName(line)) {
            finishSection();
            name = iniLookupName(*header);
            // The first of duplicate sections is the one value() searches.
            reading = !index.contains(name);
            continue;
        }
        const auto key = reading ? keyLine(line) : std::nullopt;
        if (!key)
            continue;
        const QString keyName = iniLookupName(key->name);
        // The first of duplicate keys wins, as in value().
        if (!values.m_values.contains(keyName))
            values.m_values.insert(keyName, unquoteIniValue(key->rawValue));
    }
    finishSection();
    return index;
}

void IniDocument::appendSectionHeader(const QString &section)
{
    // A blank line keeps hand-reading easy; the first section needs none.
    if (!m_lines.isEmpty() && !m_lines.back().trimmed().isEmpty())
        m_lines.append(QString());
    m_lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
    m_modified = true;
}

bool IniDocument::addSection(const QString &section)
{
    const auto name = storableSection(section);
    if (!name)
        return false;
    if (findSection(*name) < 0)
        appendSectionHeader(*name);
    return true;
}

bool IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    const auto sectionName = storableSection(section);
    const auto keyName = storableKey(key);
    if (!sectionName || !keyName)
        return false;
    const QString stored = quoteIniValue(flattenIniText(value));
    m_modified = true;
    const QString newLine = *keyName + QLatin1Char('=') + stored;
    int header = findSection(*sectionName);
    if (header < 0) {
        appendSectionHeader(*sectionName);
        m_lines.append(newLine);
        return true;
    }
    const int existing = findKey(header, *keyName);
    if (existing >= 0) {
        // Keep the name as the file spells it; only the value changes.
        const auto line = keyLine(m_lines[existing]);
        m_lines[existing] = line->name + QLatin1Char('=') + stored;
        return true;
    }
    // After the section's last non-blank line, so blank separators stay between sections.
    int insertAt = sectionEnd(header);
    while (insertAt > header + 1 && m_lines[insertAt - 1].trimmed().isEmpty())
        --insertAt;
    m_lines.insert(insertAt, newLine);
    return true;
}

bool IniDocument::removeKey(const QString &section, const QString &key)
{
    const int header = findSection(section);
    if (header < 0)
        return false;
    const int index = findKey(header, key);
    if (index < 0)
        return false;
    m_lines.removeAt(index);
    m_modified = true;
    return true;
}

bool IniDocument::removeSection(const QString &section)
{
    const int header = findSection(section);
    if (header < 0)
        return false;
    const int end = sectionEnd(header);
    m_lines.remove(header, end - header);
    m_modified = true;
    return true;
}

} // namespace platform
