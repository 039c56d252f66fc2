#include "QueryMatcher.h"

#include "libraryindex/Words.h"

namespace libraryindex {
namespace {

bool inRange(const std::optional<NumberRange> &range, double value)
{
    // A property the file does not have (-1) never matches a filter on it.
    return !range || (value >= 0 && range->contains(value));
}

} // namespace

QueryMatcher::QueryMatcher(SearchQuery query)
    : m_query(std::move(query))
{ }

bool QueryMatcher::formatMatches(const QString &name) const
{
    if (m_query.formats.isEmpty())
        return true;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QString extension = name.mid(dot + 1).toLower();
    return m_query.formats.contains(extension);
}

bool QueryMatcher::propertiesMatch(const FileProperties &p) const
{
    return inRange(m_query.durationMs, p.durationMs) && inRange(m_query.sampleRate, p.sampleRate)
        && inRange(m_query.bitDepth, p.bitDepth) && inRange(m_query.channels, p.channels);
}

QueryMatcher::Verdict QueryMatcher::match(
    const QString &name, const QStringList &folderWords, const FileProperties *properties) const
{
    if (!formatMatches(name))
        return Verdict::NoMatch;
    if (!m_query.terms.empty()) {
        const QStringList nameWords = searchWords(name);
        QStringList tagWords;
        bool tagsRead = false;
        for (const QStringList &term : m_query.terms) {
            if (containsTerm(nameWords, term) || containsTerm(folderWords, term))
                continue;
            if (!properties)
                return Verdict::NoMatch;
            if (!tagsRead) {
                tagWords = searchWords(properties->title + QLatin1Char(' ') + properties->artist + QLatin1Char(' ')
                    + properties->album + QLatin1Char(' ') + properties->genre + QLatin1Char(' ')
                    + properties->comment);
                tagsRead = true;
            }
            if (!containsTerm(tagWords, term))
                return Verdict::NoMatch;
        }
    }
    if (!m_query.hasPropertyFilter())
        return Verdict::Match;
    if (!properties)
        return Verdict::Unknown;
    return propertiesMatch(*properties) ? Verdict::Match : Verdict::NoMatch;
}

} // namespace libraryindex
