#include "details/MediaInfoDll.h"

#include "platform/LibraryLoading.h"

#include <QFile>

#include <cstdint>
#include <cstring>
#include <dlfcn.h>
#include <langinfo.h>

namespace MediaInfoDll {

namespace {

void *g_library = nullptr;
EntryPoints g_entryPoints;

template<typename Fn> void resolve(Fn &pointer, const char *name)
{
    pointer = reinterpret_cast<Fn>(dlsym(g_library, name));
}

void resolveAll()
{
    EntryPoints &e = g_entryPoints;
    resolve(e.MediaInfo_New, "MediaInfo_New");
    resolve(e.MediaInfo_Delete, "MediaInfo_Delete");
    resolve(e.MediaInfo_Open, "MediaInfo_Open");
    resolve(e.MediaInfo_Close, "MediaInfo_Close");
    resolve(e.MediaInfo_Inform, "MediaInfo_Inform");
    resolve(e.MediaInfo_GetI, "MediaInfo_GetI");
    resolve(e.MediaInfo_Get, "MediaInfo_Get");
    resolve(e.MediaInfo_Option, "MediaInfo_Option");
    resolve(e.MediaInfo_State_Get, "MediaInfo_State_Get");
    resolve(e.MediaInfo_Count_Get, "MediaInfo_Count_Get");
    resolve(e.MediaInfoA_New, "MediaInfoA_New");
    resolve(e.MediaInfoA_Delete, "MediaInfoA_Delete");
    resolve(e.MediaInfoA_Open, "MediaInfoA_Open");
    resolve(e.MediaInfoA_Close, "MediaInfoA_Close");
    resolve(e.MediaInfoA_Inform, "MediaInfoA_Inform");
    resolve(e.MediaInfoA_GetI, "MediaInfoA_GetI");
    resolve(e.MediaInfoA_Get, "MediaInfoA_Get");
    resolve(e.MediaInfoA_Option, "MediaInfoA_Option");
    resolve(e.MediaInfoA_State_Get, "MediaInfoA_State_Get");
    resolve(e.MediaInfoA_Count_Get, "MediaInfoA_Count_Get");
}

void *openLibrary(const QString &libraryFileName)
{
    // The load happens before any application object could name the
    // program's folder.
    return platform::OpenLibraryFolderFirst(
        platform::ExecutableFolder(), QFile::encodeName(libraryFileName).toStdString());
}

bool codesetIsUtf8()
{
    const char *codeset = nl_langinfo(CODESET);
    return codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

} // namespace

const EntryPoints &entryPoints()
{
    return g_entryPoints;
}

void *libraryHandle()
{
    return g_library;
}

bool hasReadEntryPoints()
{
    const EntryPoints &e = g_entryPoints;
    return e.MediaInfo_New && e.MediaInfo_Open && e.MediaInfo_Option && e.MediaInfo_Inform && e.MediaInfo_Close
        && e.MediaInfo_Delete;
}

std::wstring toWide(QStringView text)
{
    static_assert(sizeof(wchar_t) == 4, "the library's wide text is UTF-32 here");
    std::wstring result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            result.push_back(static_cast<wchar_t>(QChar::surrogateToUcs4(unit, text[i + 1].unicode())));
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            result.push_back(static_cast<wchar_t>(QChar::ReplacementCharacter));
        } else {
            result.push_back(static_cast<wchar_t>(unit));
        }
    }
    return result;
}

QString fromWide(const wchar_t *text)
{
    if (!text)
        return {};
    const auto length = static_cast<qsizetype>(std::wcslen(text));
    // A report is Basic Multilingual Plane text but for the odd tag. Qt's
    // UTF-32 decoder took a tenth of the program's share of a details read;
    // here such text is copied unit by unit, and anything else (a pair to
    // make, a value that is no character, a leading byte-order mark that
    // the decoder drops) goes to the decoder, so both give the same text.
    QString result(length, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(result.data());
    for (qsizetype i = 0; i < length; ++i) {
        const auto code = static_cast<std::uint32_t>(text[i]);
        if (code >= 0xD800 && (code <= 0xDFFF || code > 0xFFFF || (i == 0 && code == 0xFEFF)))
            return QString::fromWCharArray(text, length);
        out[i] = static_cast<char16_t>(code);
    }
    return result;
}

Utf8CTypeScope::Utf8CTypeScope()
{
    if (codesetIsUtf8())
        return;
    // Keep every other category of the thread's current locale; only the
    // character conversion changes.
    locale_t base = duplocale(uselocale(nullptr));
    if (!base)
        return;
    m_utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", base);
    if (!m_utf8) {
        freelocale(base);
        return;
    }
    m_previous = uselocale(m_utf8);
}

Utf8CTypeScope::~Utf8CTypeScope()
{
    if (!m_utf8)
        return;
    uselocale(m_previous);
    freelocale(m_utf8);
}

} // namespace MediaInfoDll

bool LoadMediaInfoLibrary(const QString &libraryFileName)
{
    using namespace MediaInfoDll;
    if (!g_library)
        g_library = openLibrary(libraryFileName);
    if (!g_library)
        return false;
    resolveAll();
    return true;
}
