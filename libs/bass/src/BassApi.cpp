// The exported BASS_ calls: argument checks, the per-thread error code, and
// the hand-over to the engine and the streams.

#include "Engine.h"
#include "LastError.h"
#include "Plugins.h"
#include "Stream.h"
#include "TextConvert.h"
#include "bass.h"

#include <cmath>

using namespace bass;

namespace {

BOOL result(int error)
{
    setError(error);
    return error == BASS_OK ? TRUE : FALSE;
}

} // namespace

extern "C" {

int BASS_ErrorGetCode(void)
{
    return lastError();
}

BOOL BASS_GetDeviceInfo(DWORD device, BASS_DEVICEINFO *info)
{
    if (!info)
        return fail(BASS_ERROR_ILLPARAM, FALSE);
    return result(Engine::instance().deviceInfo(device, *info));
}

BOOL BASS_Init(int device, DWORD freq, DWORD /*flags*/, void * /*win*/, const void * /*dsguid*/)
{
    return result(Engine::instance().init(device, freq));
}

BOOL BASS_Free(void)
{
    return result(Engine::instance().free());
}

HPLUGIN BASS_PluginLoad(const char *file, DWORD flags)
{
    const auto path = pathArgument(file, (flags & BASS_UNICODE) != 0);
    if (!path)
        return fail(BASS_ERROR_FILEOPEN, HPLUGIN(0));
    HPLUGIN plugin = 0;
    const int error = loadPlugin(*path, plugin);
    setError(error);
    return error == BASS_OK ? plugin : 0;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags)
{
    // Only whole files are needed here; memory streams and file sections are not offered.
    if (mem || offset != 0 || length != 0)
        return fail(BASS_ERROR_NOTAVAIL, HSTREAM(0));
    const auto path = pathArgument(file, (flags & BASS_UNICODE) != 0);
    if (!path)
        return fail(BASS_ERROR_FILEOPEN, HSTREAM(0));
    HSTREAM handle = 0;
    const int error = Engine::instance().createStream(*path, flags & ~BASS_UNICODE, handle);
    setError(error);
    return error == BASS_OK ? handle : 0;
}

BOOL BASS_StreamFree(HSTREAM handle)
{
    return result(Engine::instance().freeStream(handle));
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart)
{
    const auto stream = Engine::instance().find(handle);
    if (!stream)
        return fail(BASS_ERROR_HANDLE, FALSE);
    return result(stream->play(restart != FALSE));
}

BOOL BASS_ChannelPause(DWORD handle)
{
    const auto stream = Engine::instance().find(handle);
    if (!stream)
        return fail(BASS_ERROR_HANDLE, FALSE);
    return result(stream->pause());
}

DWORD BASS_ChannelIsActive(DWORD handle)
{
    const auto stream = Engine::instance().find(handle);
    if (!stream)
        return fail(BASS_ERROR_HANDLE, DWORD(BASS_ACTIVE_STOPPED));
    setError(BASS_OK);
    return stream->activity();
}

BOOL BASS_ChannelSetAttribute(DWORD handle, DWORD attrib, float value)
{
    const auto stream = Engine::instance().find(handle);
    if (!stream)
        return fail(BASS_ERROR_HANDLE, FALSE);
    if (attrib != BASS_ATTRIB_VOL)
        return fail(BASS_ERROR_ILLTYPE, FALSE);
    if (!(value >= 0.0f)) // also refuses NaN
        return fail(BASS_ERROR_ILLPARAM, FALSE);
    stream->setVolume(value);
    return result(BASS_OK);
}

DWORD BASS_ChannelFlags(DWORD handle, DWORD flags, DWORD mask)
{
    const auto stream = Engine::instance().find(handle);
    if (!stream)
        return fail(BASS_ERROR_HANDLE, DWORD(-1));
    if (mask & BASS_SAMPLE_LOOP)
        stream->setLoop((flags & BASS_SAMPLE_LOOP) != 0);
    setError(BASS_OK);
    return stream->flags();
}

QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode)
{
    const auto stream = Engine::instance().find(handle);
    if (!stream)
        return fail(BASS_ERROR_HANDLE, QWORD(-1));
    if (mode != BASS_POS_BYTE)
        return fail(BASS_ERROR_NOTAVAIL, QWORD(-1));
    QWORD bytes = 0;
    const int error = stream->length(bytes);
    setError(error);
    return error == BASS_OK ? bytes : QWORD(-1);
}

QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode)
{
    const auto stream = Engine::instance().find(handle);
    if (!stream)
        return fail(BASS_ERROR_HANDLE, QWORD(-1));
    if (mode != BASS_POS_BYTE)
        return fail(BASS_ERROR_NOTAVAIL, QWORD(-1));
    setError(BASS_OK);
    return stream->position();
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode)
{
    const auto stream = Engine::instance().find(handle);
    if (!stream)
        return fail(BASS_ERROR_HANDLE, FALSE);
    if (mode != BASS_POS_BYTE)
        return fail(BASS_ERROR_NOTAVAIL, FALSE);
    return result(stream->setPosition(pos));
}

double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos)
{
    const auto stream = Engine::instance().find(handle);
    if (!stream)
        return fail(BASS_ERROR_HANDLE, -1.0);
    setError(BASS_OK);
    return stream->bytesToSeconds(pos);
}

QWORD BASS_ChannelSeconds2Bytes(DWORD handle, double pos)
{
    const auto stream = Engine::instance().find(handle);
    if (!stream)
        return fail(BASS_ERROR_HANDLE, QWORD(-1));
    // An infinite time has no byte offset; a finite one past the end of any
    // file still has one, which the stream caps.
    if (!(pos >= 0) || std::isinf(pos))
        return fail(BASS_ERROR_ILLPARAM, QWORD(-1));
    setError(BASS_OK);
    return stream->secondsToBytes(pos);
}

} // extern "C"
