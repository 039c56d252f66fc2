#pragma once

#include "BrivaneDialogs.h"

#include <QImage>
#include <QString>

#include <vector>

// The entries the main window adds to the browser's context menu, kept in
// the form the dialog library reads (TBDMenuItem) for as long as the
// library's request lasts. No widgets: the main window decides what goes in.
class BrowserFileMenu
{
public:
    void clear();
    void addSubmenu(std::uint32_t command, const QString &caption, const QString &name);
    void addItem(std::uint32_t command, std::uint32_t parent, const QString &caption, const QString &name,
        const QImage &icon, bool enabled);
    // Points request at the entries; they stay valid until the next clear()
    // or add.
    void fill(TBDMenuRequest &request);

    int count() const { return int(m_entries.size()); }

private:
    struct Entry
    {
        std::uint32_t command = 0;
        std::uint32_t parent = 0;
        std::uint32_t flags = 0;
        QString caption;
        QString name;
        QImage icon; // ARGB32, so its rows have no padding
    };

    std::vector<Entry> m_entries;
    std::vector<TBDMenuItem> m_items;
};
