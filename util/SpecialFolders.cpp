#include "util/SpecialFolders.h"

#include <QStandardPaths>

QString GetSpecialFolderPath(int csidl)
{
    switch (csidl) {
    case CSIDL_LOCAL_APPDATA:
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    case CSIDL_MYMUSIC:
        return QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    default:
        return {};
    }
}
