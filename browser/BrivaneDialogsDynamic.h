#pragma once

#include "browser/BrivaneDialogsBinding.h"

// The binding the integrated browser uses. It keeps the library and every
// entry point that resolved, so the browser calls what exists and skips the
// rest.
BrivaneDialogsBinding &BrivaneDialogsDynamic();

// Made before any window exists; released when the program ends.
void LoadBrivaneDialogsDynamic();
void FreeBrivaneDialogsDynamic();

// Both bindings of the dialog library for the life of the program: the
// integrated browser's, then the dialog component's; released in reverse
// order when the object goes out of scope.
class BrivaneDialogsBindings
{
public:
    BrivaneDialogsBindings();
    ~BrivaneDialogsBindings();
    BrivaneDialogsBindings(const BrivaneDialogsBindings &) = delete;
    BrivaneDialogsBindings &operator=(const BrivaneDialogsBindings &) = delete;
};
