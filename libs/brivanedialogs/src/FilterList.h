#pragma once

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace bd {

// One filter of the list: a description and its file-name patterns. Matching
// ignores case, since audio collections mix "Track.MP3" and "track.mp3".
class FileFilter
{
public:
    FileFilter() = default; // matches every file
    FileFilter(QString description, const QStringList &patterns);

    const QString &description() const { return m_description; }
    const QStringList &patterns() const { return m_patterns; }
    bool matchesEverything() const { return m_all; }
    bool matches(const QString &fileName) const;
    // First concrete extension of the patterns ("mp3" for "*.mp3"), or empty.
    QString firstExtension() const;

private:
    QString m_description;
    QStringList m_patterns;
    bool m_all = true;
    QStringList m_suffixes; // "*.mp3" kept as ".mp3": a plain suffix test
    QList<QRegularExpression> m_other; // any other wildcard pattern
};

// The filter list of the C interface: "Description|*.a;*.b|Other|*.c".
class FilterList
{
public:
    static FilterList parse(const QString &text);

    bool isEmpty() const { return m_filters.isEmpty(); }
    qsizetype size() const { return m_filters.size(); }
    const FileFilter &at(qsizetype index) const { return m_filters.at(index); }
    // The filter at index, or one that matches everything when out of range.
    FileFilter filterAt(qsizetype index) const;

private:
    QList<FileFilter> m_filters;
};

} // namespace bd
