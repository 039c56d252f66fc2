#include "platform/IniDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

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
        return KeyLine{trimmed, QString()};
    return KeyLine{trimmed.left(eq).trimmed(), trimmed.mid(eq + 1)};
}

bool sameName(const QString &a, const QString &b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

} // namespace

QString unquoteIniValue(const QString &raw)
{
    QString value = raw.trimmed();
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            value = value.mid(1, value.size() - 2);
    }
    return value;
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
    return doc;
}

IniDocument IniDocument::load(const QString &path, LoadStatus *status)
{
    auto report = [status](LoadStatus s) {
        if (status)
            *status = s;
    };
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        report(LoadStatus::Missing);
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        report(LoadStatus::Unreadable);
        return {};
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        report(LoadStatus::Unreadable);
        return {};
    }
    QString text;
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder decoder(QStringDecoder::Utf16LE);
        text = decoder(bytes.mid(2));
    } else {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = decoder(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
    }
    report(LoadStatus::Ok);
    return fromText(text);
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

bool IniDocument::save(const QString &path, QString *error) const
{
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
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
    return true;
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

void IniDocument::appendSectionHeader(const QString &section)
{
    // A blank line keeps hand-reading easy; the first section needs none.
    if (!m_lines.isEmpty() && !m_lines.back().trimmed().isEmpty())
        m_lines.append(QString());
    m_lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
}

void IniDocument::addSection(const QString &section)
{
    if (findSection(section) < 0)
        appendSectionHeader(section);
}

void IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString newLine = key + QLatin1Char('=') + value;
    int header = findSection(section);
    if (header < 0) {
        appendSectionHeader(section);
        m_lines.append(newLine);
        return;
    }
    const int existing = findKey(header, key);
    if (existing >= 0) {
        // Keep the name as the file spells it; only the value changes.
        const auto line = keyLine(m_lines[existing]);
        m_lines[existing] = line->name + QLatin1Char('=') + value;
        return;
    }
    // After the section's last non-blank line, so blank separators stay between sections.
    int insertAt = sectionEnd(header);
    while (insertAt > header + 1 && m_lines[insertAt - 1].trimmed().isEmpty())
        --insertAt;
    m_lines.insert(insertAt, newLine);
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
    return true;
}

bool IniDocument::removeSection(const QString &section)
{
    const int header = findSection(section);
    if (header < 0)
        return false;
    const int end = sectionEnd(header);
    m_lines.remove(header, end - header);
    return true;
}

} // namespace platform
