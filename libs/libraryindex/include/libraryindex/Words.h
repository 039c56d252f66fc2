#pragma once

#include <QString>
#include <QStringList>

namespace libraryindex {

// The words of a name, a path or a tag as search compares them: case folded,
// accents removed (whether written as one character or as a letter and a
// combining mark), split at separators, at small-to-capital changes and
// between letters and digits. A run that was split is added whole at the end,
// so "BigKick" gives "big", "kick", "bigkick". The index and the live scan
// both use this, so they find the same files. What the user types is split
// the same way but without the whole runs.
enum class WholeRuns { Append, Leave };
QStringList searchWords(const QString &text, WholeRuns wholeRuns = WholeRuns::Append);

// The same words as one space-separated string, what the full-text index stores.
QString searchWordText(const QString &text);

// Whether the words hold term's words in a row, the last as a prefix.
bool containsTerm(const QStringList &words, const QStringList &term);

} // namespace libraryindex
