#pragma once

#include <QString>
#include <QStringList>

// The audio library's output devices by name, and which one a stored name
// picks. Widget-free, so a worker can list and open the output while the
// settings window shows the same list later.
namespace AudioDevices {

// The output devices in the library's numbering: 0 no sound, 1 the default
// output, then every output the system lists. A failing listing keeps what
// was listed before it failed.
QStringList List();

// The device a stored name picks: the first whose name matches it without
// regard to case. Without a match (or with no stored name) the first real
// output, 1, or -1 (the library's default) when the list has no real output.
int Choose(const QStringList &names, const QString &stored);

} // namespace AudioDevices
