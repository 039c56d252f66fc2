#pragma once

#include "BrivaneDialogs.h"

#include <string>
#include <vector>

// A stand-in for the dialog library that records what the host handed it and
// plays back a scripted dialog through the host's hook, so tests can check
// the host's records byte by byte.
struct StubControl
{
    // Script.
    std::int32_t result = 1;
    bool sendSelection = true;
    std::vector<std::u16string> names;
    std::u16string focusName;

    // What the host sent.
    int calls = 0;
    std::string entry; // "open", "save" or "folder"
    TOpenDialogParams params {};
    TOpenDialogParams *paramsAddress = nullptr;
    bool textsNonNull = false;
    std::u16string filters, title, fileName, defaultExt, initialDir;
    bool appearanceSent = false;
    std::u16string style;
    bool appearanceOtherFieldsZero = false;
    bool additionalSent = false;
    std::u16string additional;
    // Read again after the host was told to free the results record.
    std::u16string styleAfterFreeEvent;
    std::vector<const void *> freed;
    std::vector<std::uint32_t> hookResults;
};

extern "C" StubControl *StubBrivaneDialogs_Control();
using StubControlFunction = StubControl *(*)();
