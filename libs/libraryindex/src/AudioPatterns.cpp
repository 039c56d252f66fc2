#include "AudioPatterns.h"

#include <fnmatch.h>

namespace libraryindex {

AudioPatterns::AudioPatterns(const QStringList &patterns)
{
    for (const QString &list : patterns) {
        // One entry may hold several patterns, as the filter list writes them.
        for (const QString &pattern : list.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString trimmed = pattern.trimmed();
            if (trimmed == u"*" || trimmed == u"*.*") {
                m_patterns.clear();
                return;
            }
            if (!trimmed.isEmpty())
                m_patterns.push_back(trimmed.toUtf8());
        }
    }
}

bool AudioPatterns::matches(const char *name) const
{
    if (m_patterns.empty())
        return true;
    for (const QByteArray &pattern : m_patterns) {
        if (::fnmatch(pattern.constData(), name, FNM_CASEFOLD) == 0)
            return true;
    }
    return false;
}

} // namespace libraryindex
