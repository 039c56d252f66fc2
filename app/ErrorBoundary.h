#pragma once

#include "app/VantrelApplication.h"

// Qt's widget code is built without exception support, so an error that
// unwinds through it skips its clean-up: memory leaks and a widget can be
// left half way through a click. Handlers that can fail are connected
// through this wrapper, which reports the error where it is raised; the
// application's notify() stays the last resort for anything else.
template<typename T> auto Guarded(T *object, void (T::*handler)())
{
    return [object, handler] {
        try {
            (object->*handler)();
        } catch (...) {
            VantrelApplication::ReportCurrentException();
        }
    };
}
