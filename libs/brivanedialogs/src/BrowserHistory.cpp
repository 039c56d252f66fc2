#include "BrowserHistory.h"

namespace bd {

void BrowserHistory::visit(const QString &folder)
{
    if (m_position >= 0 && m_folders.at(m_position) == folder)
        return;
    m_folders.resize(m_position + 1);
    m_folders.append(folder);
    if (m_folders.size() > kMaxEntries)
        m_folders.removeFirst();
    m_position = m_folders.size() - 1;
}

QString BrowserHistory::back()
{
    if (!canGoBack())
        return {};
    return m_folders.at(--m_position);
}

QString BrowserHistory::forward()
{
    if (!canGoForward())
        return {};
    return m_folders.at(++m_position);
}

void BrowserHistory::replaceCurrent(const QString &folder)
{
    if (m_position >= 0)
        m_folders[m_position] = folder;
    else
        visit(folder);
}

} // namespace bd
