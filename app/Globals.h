#pragma once

class TFormMain;
class TFormSettings;
class TFormTreeViewHint;

// Program-wide state shared by the windows.

// The display scale, a DPI number (96 means 100 %); chosen at start-up and
// possibly lowered once while the main window is created.
extern int DisplayScale;

// Whether the start-up timer opens the browser hint window.
extern bool ShowTreeViewHint;

extern TFormMain *FormMain;
extern TFormSettings *FormSettings;
extern TFormTreeViewHint *FormTreeViewHint;
