#include "preview/AudioDevices.h"

#include "bass.h"

namespace AudioDevices {

namespace {

// Far more than any machine has; a library that answers yes forever must
// not keep the caller in the loop.
constexpr DWORD kMaxDevices = 1000;
constexpr int kFirstRealOutput = 1;

} // namespace

QStringList List()
{
    QStringList names;
    BASS_DEVICEINFO info {};
    for (DWORD i = 0; i < kMaxDevices && BASS_GetDeviceInfo(i, &info); ++i)
        names.append(QString::fromUtf8(info.name ? info.name : ""));
    return names;
}

int Choose(const QStringList &names, const QString &stored)
{
    if (!stored.isEmpty()) {
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (names.at(i).compare(stored, Qt::CaseInsensitive) == 0)
                return int(i);
        }
    }
    return names.size() > kFirstRealOutput ? kFirstRealOutput : -1;
}

} // namespace AudioDevices
