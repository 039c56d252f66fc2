#pragma once

#include "BrivaneDialogs.h"

#include <QImage>
#include <QString>

#include <functional>
#include <vector>

class QAction;
class QMenu;

namespace bd {

// One of the host's context-menu entries, copied out of its TBDMenuItem
// while the hook call lasted.
struct HostMenuEntry
{
    std::uint32_t command = 0;
    std::uint32_t parent = 0;
    std::uint32_t flags = 0;
    QString caption;
    QString name;
    QImage icon;
};

// Copies the entries a host put into request. Entries without a command,
// with an unknown parent or with an icon whose size makes no sense are left
// out (the icon alone for the latter); a null list reads as none.
std::vector<HostMenuEntry> copyHostEntries(const TBDMenuRequest &request);

// Inserts entries into menu before before (at the end when null), then a
// separator when anything was added. A picked entry calls picked with its
// command.
void addHostEntries(QMenu *menu, QAction *before, const std::vector<HostMenuEntry> &entries,
    const std::function<void(std::uint32_t)> &picked);

} // namespace bd
