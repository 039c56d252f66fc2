#pragma once

#include <QString>
#include <QStringView>

#include <clocale>
#include <cstddef>
#include <string>

// Run-time binding of the MediaInfo shared library. The library is looked up
// by name, kept loaded until the process ends, and reached only through the
// entry-point table below. Its wide interface takes wchar_t, which is UTF-32
// on Linux; the conversion helpers here are the only place where the
// program's UTF-16 text meets it.
namespace MediaInfoDll {

// C signatures of the library's exported functions. Stream and info kinds
// are C enums, passed as int.
using NewFn = void *(*)();
using DeleteFn = void (*)(void *handle);
using OpenFn = std::size_t (*)(void *handle, const wchar_t *fileName);
using CloseFn = void (*)(void *handle);
using InformFn = const wchar_t *(*)(void *handle, std::size_t reserved);
using GetIFn
    = const wchar_t *(*)(void *handle, int streamKind, std::size_t streamNumber, std::size_t parameter, int infoKind);
using GetFn = const wchar_t *(*)(void *handle, int streamKind, std::size_t streamNumber, const wchar_t *parameter,
    int infoKind, int searchKind);
using OptionFn = const wchar_t *(*)(void *handle, const wchar_t *option, const wchar_t *value);
using StateGetFn = std::size_t (*)(void *handle);
using CountGetFn = std::size_t (*)(void *handle, int streamKind, std::size_t streamNumber);

using ANewFn = void *(*)();
using ADeleteFn = void (*)(void *handle);
using AOpenFn = std::size_t (*)(void *handle, const char *fileName);
using ACloseFn = void (*)(void *handle);
using AInformFn = const char *(*)(void *handle, std::size_t reserved);
using AGetIFn
    = const char *(*)(void *handle, int streamKind, std::size_t streamNumber, std::size_t parameter, int infoKind);
using AGetFn = const char *(*)(void *handle, int streamKind, std::size_t streamNumber, const char *parameter,
    int infoKind, int searchKind);
using AOptionFn = const char *(*)(void *handle, const char *option, const char *value);
using AStateGetFn = std::size_t (*)(void *handle);
using ACountGetFn = std::size_t (*)(void *handle, int streamKind, std::size_t streamNumber);

// One pointer per exported name, null until resolved. Kept in a struct
// rather than as free globals so that no symbol of ours can ever shadow the
// library's own exports of the same names.
struct EntryPoints
{
    NewFn MediaInfo_New = nullptr;
    DeleteFn MediaInfo_Delete = nullptr;
    OpenFn MediaInfo_Open = nullptr;
    CloseFn MediaInfo_Close = nullptr;
    InformFn MediaInfo_Inform = nullptr;
    GetIFn MediaInfo_GetI = nullptr;
    GetFn MediaInfo_Get = nullptr;
    OptionFn MediaInfo_Option = nullptr;
    StateGetFn MediaInfo_State_Get = nullptr;
    CountGetFn MediaInfo_Count_Get = nullptr;

    ANewFn MediaInfoA_New = nullptr;
    ADeleteFn MediaInfoA_Delete = nullptr;
    AOpenFn MediaInfoA_Open = nullptr;
    ACloseFn MediaInfoA_Close = nullptr;
    AInformFn MediaInfoA_Inform = nullptr;
    AGetIFn MediaInfoA_GetI = nullptr;
    AGetFn MediaInfoA_Get = nullptr;
    AOptionFn MediaInfoA_Option = nullptr;
    AStateGetFn MediaInfoA_State_Get = nullptr;
    ACountGetFn MediaInfoA_Count_Get = nullptr;
};

// The table of the loaded library (all null while none is loaded).
const EntryPoints &entryPoints();

// The dlopen handle, null until a load succeeded. Never closed.
void *libraryHandle();

// True when every entry point a details read calls is resolved.
bool hasReadEntryPoints();

// UTF-16 to the library's wchar_t text, and back. fromWide copies at once,
// since the library's returned strings only live until its next call.
std::wstring toWide(QStringView text);
QString fromWide(const wchar_t *text);

// The library turns a wide file name into the bytes handed to open() with
// the C library's multibyte conversion, so under a non-UTF-8 LC_CTYPE (a
// program started with LANG=C) every non-ASCII path fails to open. While
// one of these lives, the calling thread converts as UTF-8; the process
// locale is left alone.
class Utf8CTypeScope
{
public:
    Utf8CTypeScope();
    ~Utf8CTypeScope();
    Utf8CTypeScope(const Utf8CTypeScope &) = delete;
    Utf8CTypeScope &operator=(const Utf8CTypeScope &) = delete;

private:
    locale_t m_previous = nullptr;
    locale_t m_utf8 = nullptr;
};

} // namespace MediaInfoDll

// Loads the library file once (the executable's own folder first, then the
// system search; a missing file is silent) and resolves all twenty entry
// points by name. A later call keeps the loaded library and only resolves
// the names again. True when a library is loaded.
bool LoadMediaInfoLibrary(const QString &libraryFileName);
