#include "browser/BrivaneDialogsDynamic.h"

#include "browser/BrivaneDialogsDefs.h"

BrivaneDialogsBinding &BrivaneDialogsDynamic()
{
    static BrivaneDialogsBinding binding(BrivaneDialogsBinding::Policy::KeepResolved);
    return binding;
}

void LoadBrivaneDialogsDynamic()
{
    BrivaneDialogsDynamic().Load();
}

void FreeBrivaneDialogsDynamic()
{
    BrivaneDialogsDynamic().Release();
}

BrivaneDialogsBindings::BrivaneDialogsBindings()
{
    LoadBrivaneDialogsDynamic();
    LoadBrivaneDialogsDefs();
}

BrivaneDialogsBindings::~BrivaneDialogsBindings()
{
    FreeBrivaneDialogsDefs();
    FreeBrivaneDialogsDynamic();
}
