#include "FilterList.h"

namespace bd {

namespace {

bool isWildcard(QChar c)
{
    return c == u'*' || c == u'?' || c == u'[';
}

bool hasWildcard(QStringView text)
{
    for (QChar c : text) {
        if (isWildcard(c))
            return true;
    }
    return false;
}

} // namespace

FileFilter::FileFilter(QString description, const QStringList &patterns)
    : m_description(std::move(description))
    , m_all(false)
{
    for (const QString &raw : patterns) {
        const QString pattern = raw.trimmed();
        if (pattern.isEmpty())
            continue;
        m_patterns.append(pattern);
        if (pattern == u"*" || pattern == u"*.*") {
            m_all = true;
        } else if (pattern.startsWith(u"*.") && !hasWildcard(QStringView(pattern).mid(2))) {
            m_suffixes.append(pattern.mid(1));
        } else {
            m_other.append(QRegularExpression(QRegularExpression::wildcardToRegularExpression(
                                                  pattern, QRegularExpression::UnanchoredWildcardConversion),
                QRegularExpression::CaseInsensitiveOption));
            m_other.last().setPattern(u'^' + m_other.last().pattern() + u'$');
        }
    }
    // A filter whose patterns are all blank would hide every file; treat it
    // as no filter at all.
    if (m_patterns.isEmpty())
        m_all = true;
}

bool FileFilter::matches(const QString &fileName) const
{
    if (m_all)
        return true;
    for (const QString &suffix : m_suffixes) {
        if (fileName.size() > suffix.size() && fileName.endsWith(suffix, Qt::CaseInsensitive))
            return true;
    }
    for (const QRegularExpression &re : m_other) {
        if (re.match(fileName).hasMatch())
            return true;
    }
    return false;
}

QString FileFilter::firstExtension() const
{
    return m_suffixes.isEmpty() ? QString() : m_suffixes.first().mid(1);
}

FilterList FilterList::parse(const QString &text)
{
    FilterList list;
    const QStringList parts = text.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        list.m_filters.append(FileFilter(parts.at(i).trimmed(), parts.at(i + 1).split(u';')));
    return list;
}

FileFilter FilterList::filterAt(qsizetype index) const
{
    if (index < 0 || index >= m_filters.size())
        return {};
    return m_filters.at(index);
}

} // namespace bd
