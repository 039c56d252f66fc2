#pragma once

class QWidget;

// SIGTERM and SIGINT (a session ending, a service manager, Ctrl+C in a
// terminal) close the main window the normal way, so its settings are
// saved as when the user closes it. The signal handler only writes to a
// pipe; the closing runs on the GUI thread.
void CloseWindowOnTerminationSignals(QWidget *mainWindow);
