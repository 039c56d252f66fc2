#pragma once

#include "FolderEntry.h"

#include <QString>

#include <vector>

namespace bd {

// "Find in folder": a row is shown when its name holds the text, ignoring
// case, and whichever way its accented letters are written: a name copied
// from another system may spell "ü" as "u" and a combining diaeresis, while
// the keyboard types it as one character. An empty text shows every row.
class NameFilter
{
public:
    void setText(const QString &text)
    {
        m_text = text;
        m_composed = text.normalized(QString::NormalizationForm_C);
    }
    const QString &text() const { return m_text; }
    bool isActive() const { return !m_text.isEmpty(); }
    bool matches(const FolderEntry &entry) const
    {
        if (m_text.isEmpty() || entry.name.contains(m_composed, Qt::CaseInsensitive))
            return true;
        // Composed only when it could differ: most names are plain ASCII,
        // and a folder of them is filtered at every keystroke.
        return !isAscii(entry.name)
            && entry.name.normalized(QString::NormalizationForm_C).contains(m_composed, Qt::CaseInsensitive);
    }

    // Moves the rows that do not match from rows to the end of rejected.
    // Both keep their order, so sorted input stays sorted.
    void splitOff(std::vector<FolderEntry> &rows, std::vector<FolderEntry> &rejected) const;

private:
    static bool isAscii(const QString &name)
    {
        for (const QChar c : name) {
            if (c.unicode() >= 0x80)
                return false;
        }
        return true;
    }

    QString m_text;
    QString m_composed;
};

// Merges sorted extra into sorted rows, keeping the order.
void mergeInto(std::vector<FolderEntry> &rows, std::vector<FolderEntry> &&extra, const EntryOrder &order);

} // namespace bd
