#pragma once

#include "FolderEntry.h"

#include <QString>

#include <vector>

namespace bd {

// "Find in folder": a row is shown when its name holds the text, ignoring
// case. An empty text shows every row.
class NameFilter
{
public:
    void setText(const QString &text) { m_text = text; }
    const QString &text() const { return m_text; }
    bool isActive() const { return !m_text.isEmpty(); }
    bool matches(const FolderEntry &entry) const
    {
        return m_text.isEmpty() || entry.name.contains(m_text, Qt::CaseInsensitive);
    }

    // Moves the rows that do not match from rows to the end of rejected.
    // Both keep their order, so sorted input stays sorted.
    void splitOff(std::vector<FolderEntry> &rows, std::vector<FolderEntry> &rejected) const;

private:
    QString m_text;
};

// Merges sorted extra into sorted rows, keeping the order.
void mergeInto(std::vector<FolderEntry> &rows, std::vector<FolderEntry> &&extra, const EntryOrder &order);

} // namespace bd
