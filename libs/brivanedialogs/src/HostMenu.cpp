#include "HostMenu.h"

#include <QAction>
#include <QHash>
#include <QIcon>
#include <QMenu>
#include <QPixmap>

namespace bd {

namespace {

// An icon larger than this is not a menu icon; it is refused rather than
// copied (a host's wrong size must not make the library read megabytes).
constexpr std::int32_t kMaxIconSide = 256;

QString textOf(const char16_t *text)
{
    return text ? QString::fromUtf16(text) : QString();
}

QImage iconOf(const TBDMenuItem &item)
{
    if (!item.IconPixels || item.IconWidth <= 0 || item.IconHeight <= 0 || item.IconWidth > kMaxIconSide
        || item.IconHeight > kMaxIconSide)
        return {};
    // The host's pixels live only during the hook call: copy them.
    const QImage view(reinterpret_cast<const uchar *>(item.IconPixels), item.IconWidth, item.IconHeight,
        item.IconWidth * 4, QImage::Format_ARGB32);
    return view.copy();
}

} // namespace

std::vector<HostMenuEntry> copyHostEntries(const TBDMenuRequest &request)
{
    std::vector<HostMenuEntry> entries;
    if (!request.Items)
        return entries;
    QHash<std::uint32_t, bool> submenus; // command -> is a submenu
    entries.reserve(request.ItemCount);
    for (std::uint32_t i = 0; i < request.ItemCount; ++i) {
        const TBDMenuItem &item = request.Items[i];
        if (item.Parent != 0 && !submenus.value(item.Parent))
            continue; // a parent that is not a submenu given before
        HostMenuEntry entry;
        entry.command = item.Command;
        entry.parent = item.Parent;
        entry.flags = item.Flags;
        if (!(item.Flags & bdMenuItemSeparator)) {
            if (item.Command == 0 || submenus.contains(item.Command))
                continue;
            submenus.insert(item.Command, (item.Flags & bdMenuItemSubmenu) != 0);
            entry.caption = textOf(item.Caption);
            entry.name = textOf(item.Name);
            entry.icon = iconOf(item);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

void addHostEntries(QMenu *menu, QAction *before, const std::vector<HostMenuEntry> &entries,
    const std::function<void(std::uint32_t)> &picked)
{
    if (entries.empty())
        return;
    QHash<std::uint32_t, QMenu *> submenus;
    for (const HostMenuEntry &entry : entries) {
        QMenu *target = entry.parent == 0 ? menu : submenus.value(entry.parent);
        if (!target)
            continue;
        QAction *at = target == menu ? before : nullptr;
        if (entry.flags & bdMenuItemSeparator) {
            target->insertSeparator(at);
            continue;
        }
        QAction *action = nullptr;
        if (entry.flags & bdMenuItemSubmenu) {
            auto *submenu = new QMenu(entry.caption, target);
            submenu->setObjectName(entry.name);
            submenu->setAccessibleName(QString(entry.caption).remove(u'&'));
            submenus.insert(entry.command, submenu);
            action = target->insertMenu(at, submenu);
        } else {
            action = new QAction(entry.caption, target);
            target->insertAction(at, action);
            const std::uint32_t command = entry.command;
            QObject::connect(action, &QAction::triggered, menu, [picked, command] { picked(command); });
        }
        action->setObjectName(entry.name);
        if (!entry.icon.isNull())
            action->setIcon(QIcon(QPixmap::fromImage(entry.icon)));
        action->setEnabled(!(entry.flags & bdMenuItemDisabled));
    }
    menu->insertSeparator(before);
}

} // namespace bd
