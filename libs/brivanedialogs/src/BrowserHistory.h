#pragma once

#include <QString>
#include <QStringList>

namespace bd {

// Back and forward through the folders shown, like a web browser: visiting a
// new folder drops the forward part.
class BrowserHistory
{
public:
    void visit(const QString &folder);
    bool canGoBack() const { return m_position > 0; }
    bool canGoForward() const { return m_position + 1 < m_folders.size(); }
    QString back();
    QString forward();
    QString current() const { return m_position >= 0 ? m_folders.at(m_position) : QString(); }
    // Replaces the current entry, for a folder that moved to its parent.
    void replaceCurrent(const QString &folder);

    static constexpr qsizetype kMaxEntries = 100;

private:
    QStringList m_folders;
    qsizetype m_position = -1;
};

} // namespace bd
