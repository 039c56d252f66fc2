#pragma once

class QScreen;

// The DPI of a monitor: the smaller of its horizontal and vertical logical
// DPI, falling back to the toolkit's screen DPI. Never fails.
int GetMonitorDpi(const QScreen *monitor);
