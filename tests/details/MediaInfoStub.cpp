// A stand-in for the MediaInfo library that records every call made to it
// and returns a report chosen by the test. Built twice: complete, and
// without MediaInfo_Inform to play a library that lacks an entry point.
#include <cstddef>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::string g_log;
std::wstring g_report;
std::wstring g_informBuffer;
int g_token;

void append(const char *text)
{
    if (!g_log.empty())
        g_log += ';';
    g_log += text;
}

// The test checks names as UTF-32 code points, written out in hex.
void appendWide(const wchar_t *text)
{
    if (!text) {
        g_log += "<null>";
        return;
    }
    for (; *text; ++text) {
        if (*text >= 0x20 && *text < 0x7f) {
            g_log += static_cast<char>(*text);
        } else {
            char hex[16];
            std::snprintf(hex, sizeof hex, "<%X>", static_cast<unsigned>(*text));
            g_log += hex;
        }
    }
}

const char *handleName(void *handle)
{
    return handle == nullptr ? "null" : handle == &g_token ? "h" : "?";
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) void *MediaInfo_New()
{
    append("New");
    return &g_token;
}

__attribute__((visibility("default"))) void MediaInfo_Delete(void *handle)
{
    append("Delete(");
    g_log += handleName(handle);
    g_log += ')';
}

__attribute__((visibility("default"))) std::size_t MediaInfo_Open(void *handle, const wchar_t *name)
{
    append("Open(");
    g_log += handleName(handle);
    g_log += ',';
    appendWide(name);
    g_log += ')';
    return 0;
}

__attribute__((visibility("default"))) void MediaInfo_Close(void *handle)
{
    append("Close(");
    g_log += handleName(handle);
    g_log += ')';
    // Returned strings live only until the next call: spoil the last one.
    g_informBuffer.assign(g_informBuffer.size(), L'#');
}

#ifndef STUB_WITHOUT_INFORM
__attribute__((visibility("default"))) const wchar_t *MediaInfo_Inform(void *handle, std::size_t reserved)
{
    append("Inform(");
    g_log += handleName(handle);
    g_log += ',';
    g_log += std::to_string(reserved);
    g_log += ')';
    g_informBuffer = g_report;
    return g_informBuffer.c_str();
}
#endif

__attribute__((visibility("default"))) const wchar_t *MediaInfo_Option(
    void *handle, const wchar_t *option, const wchar_t *value)
{
    append("Option(");
    g_log += handleName(handle);
    g_log += ',';
    appendWide(option);
    g_log += ',';
    appendWide(value);
    g_log += ')';
    return L"";
}

// Controls for the test.
__attribute__((visibility("default"))) const char *Stub_Log()
{
    return g_log.c_str();
}

__attribute__((visibility("default"))) void Stub_Reset(const wchar_t *report)
{
    g_log.clear();
    g_report = report;
}

} // extern "C"
