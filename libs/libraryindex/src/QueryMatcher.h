#pragma once

#include "libraryindex/FileProperties.h"
#include "libraryindex/SearchQuery.h"

#include <QStringList>

namespace libraryindex {

// Decides whether one file answers a query. The index only narrows the
// candidates by their words; this has the last word, for rows from the index
// and for files found by walking the folders alike, so both give the same
// results.
class QueryMatcher
{
public:
    explicit QueryMatcher(SearchQuery query);

    // Unknown: the words and the format match, but a property filter needs
    // properties that have not been read yet.
    enum class Verdict { Match, NoMatch, Unknown };

    // folderWords: searchWords() of the folder's path below the search root.
    // properties: nullptr while they are not known.
    Verdict match(const QString &name, const QStringList &folderWords, const FileProperties *properties) const;

    const SearchQuery &query() const { return m_query; }

private:
    bool formatMatches(const QString &name) const;
    bool propertiesMatch(const FileProperties &properties) const;

    SearchQuery m_query;
};

} // namespace libraryindex
