#pragma once

#include "bass.h"

namespace bass {

// BASS keeps the last error per thread: every call sets it, BASS_OK on success.
void setError(int code);
int lastError();

// Sets the code and returns the value a failing call hands back.
template<typename T> T fail(int code, T result)
{
    setError(code);
    return result;
}

} // namespace bass
