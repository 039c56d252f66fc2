#include "app/BrowserFileMenu.h"

void BrowserFileMenu::clear()
{
    m_items.clear();
    m_entries.clear();
}

void BrowserFileMenu::addSubmenu(std::uint32_t command, const QString &caption, const QString &name)
{
    m_items.clear();
    m_entries.push_back({ command, 0, bdMenuItemSubmenu, caption, name, {} });
}

void BrowserFileMenu::addItem(std::uint32_t command, std::uint32_t parent, const QString &caption, const QString &name,
    const QImage &icon, bool enabled)
{
    m_items.clear();
    m_entries.push_back({ command, parent, enabled ? 0u : std::uint32_t(bdMenuItemDisabled), caption, name,
        icon.isNull() ? QImage() : icon.convertToFormat(QImage::Format_ARGB32) });
}

void BrowserFileMenu::fill(TBDMenuRequest &request)
{
    m_items.clear();
    m_items.reserve(m_entries.size());
    for (const Entry &entry : m_entries) {
        TBDMenuItem item {};
        item.Command = entry.command;
        item.Parent = entry.parent;
        item.Flags = entry.flags;
        item.Caption = reinterpret_cast<const char16_t *>(entry.caption.utf16());
        item.Name = reinterpret_cast<const char16_t *>(entry.name.utf16());
        if (!entry.icon.isNull()) {
            item.IconPixels = reinterpret_cast<const std::uint32_t *>(entry.icon.constBits());
            item.IconWidth = entry.icon.width();
            item.IconHeight = entry.icon.height();
        }
        m_items.push_back(item);
    }
    request.Items = m_items.empty() ? nullptr : m_items.data();
    request.ItemCount = std::uint32_t(m_items.size());
}
