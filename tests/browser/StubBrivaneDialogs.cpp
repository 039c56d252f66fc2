#include "StubBrivaneDialogs.h"

#include <cstring>

namespace {

StubControl g_control;

std::u16string copyText(const char16_t *text)
{
    return text ? std::u16string(text) : std::u16string();
}

bool otherAppearanceFieldsZero(const TOpenDialogAppearance &appearance)
{
    TOpenDialogAppearance copy = appearance;
    copy.VCLStyleTheme = nullptr;
    const auto *bytes = reinterpret_cast<const unsigned char *>(&copy);
    for (std::size_t i = 0; i < sizeof copy; ++i) {
        if (bytes[i] != 0)
            return false;
    }
    return true;
}

void call(TOpenDialogParams *params, std::uint32_t code, std::uint64_t wParam)
{
    g_control.hookResults.push_back(
        params->HookProc(0, code, wParam, std::int64_t(reinterpret_cast<std::intptr_t>(params))));
}

std::int32_t runDialog(const char *entry, TOpenDialogParams *params, TOpenDialogResults *)
{
    StubControl &c = g_control;
    ++c.calls;
    c.entry = entry;
    c.params = *params;
    c.paramsAddress = params;
    c.textsNonNull = params->DefaultExt && params->FileName && params->Filters && params->InitialDir && params->Title;
    c.filters = copyText(params->Filters);
    c.title = copyText(params->Title);
    c.fileName = copyText(params->FileName);
    c.defaultExt = copyText(params->DefaultExt);
    c.initialDir = copyText(params->InitialDir);
    c.appearanceSent = params->Appearance != nullptr;
    c.style = params->Appearance ? copyText(params->Appearance->VCLStyleTheme) : std::u16string();
    c.appearanceOtherFieldsZero = params->Appearance && otherAppearanceFieldsZero(*params->Appearance);
    c.additionalSent = params->AdditionalParameters != nullptr;
    c.additional = copyText(params->AdditionalParameters);

    if (!params->HookProc)
        return c.result;
    call(params, bdEventWindowCreated, 0x5151);
    if (!c.focusName.empty()) {
        TBDFocusedItem item { c.focusName.c_str(), nullptr };
        call(params, bdEventFocusChanged, reinterpret_cast<std::uintptr_t>(&item));
    }
    if (c.sendSelection) {
        std::u16string list;
        for (const std::u16string &name : c.names) {
            list += name;
            list += u'\0';
        }
        list += u'\0';
        TOpenDialogResults selection {};
        selection.FileCount = std::uint32_t(c.names.size());
        std::u16string single = c.names.size() == 1 ? c.names.front() : std::u16string();
        selection.FileName = c.names.size() == 1 ? single.data() : nullptr;
        selection.FileNames = list.data();
        selection.FilterIndex = 0;
        call(params, bdEventSelection, reinterpret_cast<std::uintptr_t>(&selection));
        call(params, bdEventFreeResults, reinterpret_cast<std::uintptr_t>(&selection));
        // A real dialog goes on drawing with its style after a free event.
        if (params->Appearance)
            c.styleAfterFreeEvent = copyText(params->Appearance->VCLStyleTheme);
    }
    call(params, 0x9999, 0);
    return c.result;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) StubControl *StubBrivaneDialogs_Control()
{
    return &g_control;
}

__attribute__((visibility("default"))) std::int32_t BrivaneDialogs_OpenDialog(
    TOpenDialogParams *p, TOpenDialogResults *r)
{
    return runDialog("open", p, r);
}

#ifndef STUB_WITHOUT_SAVE_DIALOG
__attribute__((visibility("default"))) std::int32_t BrivaneDialogs_SaveDialog(
    TOpenDialogParams *p, TOpenDialogResults *r)
{
    return runDialog("save", p, r);
}
#endif

__attribute__((visibility("default"))) std::int32_t BrivaneDialogs_FolderDialog(
    TOpenDialogParams *p, TOpenDialogResults *r)
{
    return runDialog("folder", p, r);
}

__attribute__((visibility("default"))) std::int32_t BrivaneDialogs_SettingsWindow(BDWindowHandle)
{
    return 7;
}

__attribute__((visibility("default"))) std::int32_t BrivaneDialogs_FreeDialogResults(TOpenDialogResults *r)
{
    g_control.freed.push_back(r);
    return 1;
}
}
