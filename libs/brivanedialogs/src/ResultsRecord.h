#pragma once

#include "BrivaneDialogs.h"

#include <QStringList>

namespace bd {

// Results records handed to the host with event 2050. The library allocates
// them and frees them when the host gives them back; only addresses the
// library handed out and has not freed yet are accepted, so a stray or
// repeated free does nothing.
TOpenDialogResults *newResults(const QStringList &names, int filterIndex);
bool freeResults(TOpenDialogResults *results);
// Frees the records a host never gave back (at library unload).
void freeAllResults();

} // namespace bd
