#include "LastError.h"

namespace bass {

namespace {
thread_local int t_lastError = BASS_OK;
}

void setError(int code)
{
    t_lastError = code;
}

int lastError()
{
    return t_lastError;
}

} // namespace bass
