#include "scaling/DPIFunctions.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

int GetMonitorDpi(const QScreen *monitor)
{
    unsigned x = 0;
    unsigned y = 0;
    if (monitor) {
        x = unsigned(std::lround(monitor->logicalDotsPerInchX()));
        y = unsigned(std::lround(monitor->logicalDotsPerInchY()));
    }
    if (x == 0) {
        const QScreen *primary = QGuiApplication::primaryScreen();
        const int dpi = primary ? int(std::lround(primary->logicalDotsPerInch())) : 0;
        return dpi > 0 ? dpi : 96;
    }
    return int(std::min(x, y));
}
