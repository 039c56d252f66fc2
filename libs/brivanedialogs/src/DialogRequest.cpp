#include "DialogRequest.h"

#include "Utf16.h"
#include "platform/KeyStore.h"

#include <QGuiApplication>
#include <QScreen>

namespace bd {

namespace {

// Only plain decimal numbers count; anything else keeps the default.
std::optional<int> decimal(const QString &text, int lowest, int highest)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

int screenDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

} // namespace

QString guidText(const TBDGUID &guid)
{
    return platform::GuidKeyName(guid.Data1, guid.Data2, guid.Data3, guid.Data4);
}

DialogRequest DialogRequest::read(TOpenDialogParams *params, TBVDialogType type)
{
    DialogRequest request;
    request.params = params;
    request.type = type;
    request.defaultExt = fromUtf16(params->DefaultExt);
    if (request.defaultExt.startsWith(u'.'))
        request.defaultExt.remove(0, 1);
    request.fileName = fromUtf16(params->FileName);
    request.filters = FilterList::parse(fromUtf16(params->Filters));
    request.initialDir = fromUtf16(params->InitialDir);
    request.title = fromUtf16(params->Title);
    request.options = params->Options;
    request.optionsEx = params->OptionsEx;
    request.guid = guidText(params->DialogGUID);

    int dpi = 0;
    const QStringList lines = fromUtf16(params->AdditionalParameters).split(u'\n');
    for (QString line : lines) {
        line = line.trimmed(); // drops the CR of CR LF
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1);
        if (key.compare(u"UIDPIScaling", Qt::CaseInsensitive) == 0)
            dpi = decimal(value, 24, 960).value_or(dpi);
        else if (key.compare(u"ThumbnailsWidth", Qt::CaseInsensitive) == 0)
            request.thumbnailSize.setWidth(
                decimal(value, kMinThumbnailSide, kMaxThumbnailSide).value_or(request.thumbnailSize.width()));
        else if (key.compare(u"ThumbnailsHeight", Qt::CaseInsensitive) == 0)
            request.thumbnailSize.setHeight(
                decimal(value, kMinThumbnailSide, kMaxThumbnailSide).value_or(request.thumbnailSize.height()));
    }
    request.scale = UiScale(dpi > 0 ? dpi : screenDpi());
    return request;
}

} // namespace bd
