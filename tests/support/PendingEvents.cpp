#include "PendingEvents.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

void deliverPendingEvents()
{
    // What one delivery posts is delivered too, within a bound: a chain that
    // posts itself for ever would otherwise hold the test.
    constexpr int kRounds = 20;
    for (int round = 0; round < kRounds; ++round) {
        QCoreApplication::sendPostedEvents();
        if (!QCoreApplication::eventDispatcher()->processEvents(QEventLoop::AllEvents))
            return;
    }
}
