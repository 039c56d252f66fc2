#pragma once

class QWidget;

// Asks the window manager for a title bar with a close button only, for a
// fixed-size window that is neither minimized nor maximized on its own.
// Qt's Motif hints already say so, and most window managers go by them.
// Openbox does not: it keeps a minimize button on every normal or dialog
// window, and with it a (disabled) maximize button beside it. The one thing
// it honours is the window type, so under openbox the window is typed as a
// toolbar first, with dialog after it for everything else that reads the
// list. Call from showEvent: the native window exists then and is not yet
// mapped, which is when the window manager reads the type.
void RequestCloseOnlyTitleBar(QWidget *window);
