#include "app/Globals.h"

int DisplayScale = 96;
bool ShowTreeViewHint = true;
TFormMain *FormMain = nullptr;
TFormSettings *FormSettings = nullptr;
TFormTreeViewHint *FormTreeViewHint = nullptr;
