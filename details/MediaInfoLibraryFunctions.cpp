#include "details/MediaInfoLibraryFunctions.h"

#include "details/MediaInfoDll.h"

#include <atomic>
#include <mutex>
#include <string>

namespace {

// Set once, by whichever thread binds first (a worker after the first paint,
// or the first details read); readers on other threads see it through the
// release/acquire pair.
std::atomic<bool> g_libraryAvailable = false;
std::once_flag g_initialized;

// Closes and releases the handle of one read on every path out of it.
class MediaInfoHandle
{
public:
    explicit MediaInfoHandle(const MediaInfoDll::EntryPoints &entryPoints)
        : m_entryPoints(entryPoints)
        , m_handle(entryPoints.MediaInfo_New())
    { }
    ~MediaInfoHandle()
    {
        m_entryPoints.MediaInfo_Close(m_handle);
        m_entryPoints.MediaInfo_Delete(m_handle);
    }
    MediaInfoHandle(const MediaInfoHandle &) = delete;
    MediaInfoHandle &operator=(const MediaInfoHandle &) = delete;

    void *get() const { return m_handle; }

private:
    const MediaInfoDll::EntryPoints &m_entryPoints;
    void *m_handle;
};

QString readReport(const QString &fileName)
{
    const MediaInfoDll::EntryPoints &mi = MediaInfoDll::entryPoints();
    const std::wstring wideName = MediaInfoDll::toWide(fileName);
    QString report;
    {
        MediaInfoDll::Utf8CTypeScope utf8;
        MediaInfoHandle handle(mi);
        mi.MediaInfo_Open(handle.get(), wideName.c_str());
        // Library-wide, and set on every read, so whatever another caller set
        // before never changes the report's shape.
        mi.MediaInfo_Option(nullptr, L"Inform", L"1");
        report = MediaInfoDll::fromWide(mi.MediaInfo_Inform(handle.get(), 0));
    }
    return report;
}

constexpr bool isTrimmed(QChar c)
{
    return c.unicode() <= 0x20;
}

} // namespace

void InitializeMediaInfoLibraryFunctions(const QString &libraryFileName)
{
    // A caller that arrives while another thread binds waits for it, so a
    // read right after start-up never finds a half-made table.
    std::call_once(g_initialized, [&libraryFileName] {
        // A library without one of the functions a read calls is as good as
        // none: calling through a null pointer is never an option.
        const bool available = LoadMediaInfoLibrary(libraryFileName) && MediaInfoDll::hasReadEntryPoints();
        g_libraryAvailable.store(available, std::memory_order_release);
    });
}

bool MediaInfoLibraryAvailable()
{
    return g_libraryAvailable.load(std::memory_order_acquire);
}

void ReadFileDetails(const QString &FileName, TDetailsLines &Lines)
{
    if (!MediaInfoLibraryAvailable())
        return;
    Lines = SplitDetailsReport(readReport(FileName));
    RemoveFirstCoverDataLine(Lines);
}

TDetailsLines SplitDetailsReport(QStringView report)
{
    TDetailsLines lines;
    // Room for a line per line feed, so the list is made once.
    lines.reserve(report.count(u'\n') + 1);
    qsizetype start = 0;
    const qsizetype size = report.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = report[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(report.sliced(start, i - start).toString());
        if (c == u'\r' && i + 1 < size && report[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(report.sliced(start).toString());
    return lines;
}

void RemoveFirstCoverDataLine(TDetailsLines &lines)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).contains(u"Cover_Data", Qt::CaseSensitive)) {
            lines.removeAt(i);
            return;
        }
    }
}

QStringView TrimDetailsText(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmed(text[begin]))
        ++begin;
    while (end > begin && isTrimmed(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

qsizetype DetailsSeparator(QStringView line)
{
    // MediaInfo pads the name with blanks and writes " : " before the value,
    // so a colon inside the name (a chapter's time stamp, a custom tag like
    // "MY:KEY") never has a blank on both sides. The value may be empty,
    // leaving the colon last.
    for (qsizetype i = 1; i < line.size(); ++i) {
        if (line.at(i) == u':' && line.at(i - 1) == u' ' && (i + 1 == line.size() || line.at(i + 1) == u' '))
            return i;
    }
    // Not MediaInfo's own layout: the first colon.
    return line.indexOf(u':');
}

DetailsLine ClassifyDetailsLine(QStringView line)
{
    DetailsLine result;
    const qsizetype colon = DetailsSeparator(line);
    if (colon > 0) {
        result.kind = DetailsLine::Kind::Row;
        result.name = TrimDetailsText(line.first(colon)).toString();
        result.value = TrimDetailsText(line.sliced(colon + 1)).toString();
        return result;
    }
    const QStringView trimmed = TrimDetailsText(line);
    if (!trimmed.isEmpty()) {
        result.kind = DetailsLine::Kind::Heading;
        result.value = trimmed.toString();
    }
    return result;
}
