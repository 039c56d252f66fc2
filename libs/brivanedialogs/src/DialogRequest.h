#pragma once

#include "BrivaneDialogs.h"
#include "FilterList.h"
#include "UiScale.h"

#include <QSize>
#include <QString>

namespace bd {

// What a dialog entry point was asked for, read from the caller's record
// during the call. The record itself stays the caller's: its address goes
// back with every event.
struct DialogRequest
{
    TOpenDialogParams *params = nullptr;
    QString defaultExt;
    QString fileName;
    FilterList filters;
    QString initialDir;
    QString title;
    TOpenOptions options = 0;
    TOpenOptionsEx optionsEx = 0;
    TBVDialogType type = bvdtOpenDialog;
    QString guid; // "{14041EA1-43B5-474A-B7BA-CAE3B9460048}"
    UiScale scale;
    QSize thumbnailSize { 400, 100 }; // before scaling

    bool has(TOpenOption option) const { return (options & option) != 0; }
    bool hasEx(TOpenOptionEx option) const { return (optionsEx & option) != 0; }

    static DialogRequest read(TOpenDialogParams *params, TBVDialogType type);
};

// The GUID in braces with upper-case hexadecimal digits.
QString guidText(const TBDGUID &guid);

// Thumbnails are kept between these sizes whatever the caller asks for, so a
// bad value can neither hide them nor exhaust memory.
inline constexpr int kMinThumbnailSide = 16;
inline constexpr int kMaxThumbnailSide = 10000;

} // namespace bd
