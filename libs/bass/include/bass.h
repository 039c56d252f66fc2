#pragma once

// The part of the BASS audio interface that Vantrel uses, with BASS's names,
// numbers and meaning. Implemented by libbass.so on FFmpeg and SDL2.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define BASSDEF(type) __attribute__((visibility("default"))) type
#else
#define BASSDEF(type) type
#endif

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef uint64_t QWORD;
#ifndef BOOL
typedef int BOOL;
#endif
#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

typedef DWORD HSTREAM;
typedef DWORD HPLUGIN;

// Error codes, as returned by BASS_ErrorGetCode.
#define BASS_OK 0
#define BASS_ERROR_MEM 1
#define BASS_ERROR_FILEOPEN 2
#define BASS_ERROR_DRIVER 3
#define BASS_ERROR_BUFLOST 4
#define BASS_ERROR_HANDLE 5
#define BASS_ERROR_FORMAT 6
#define BASS_ERROR_POSITION 7
#define BASS_ERROR_INIT 8
#define BASS_ERROR_START 9
#define BASS_ERROR_ALREADY 14
#define BASS_ERROR_NOTAUDIO 17
#define BASS_ERROR_NOCHAN 18
#define BASS_ERROR_ILLTYPE 19
#define BASS_ERROR_ILLPARAM 20
#define BASS_ERROR_DEVICE 23
#define BASS_ERROR_NOPLAY 24
#define BASS_ERROR_FREQ 25
#define BASS_ERROR_NOTFILE 27
#define BASS_ERROR_EMPTY 31
#define BASS_ERROR_CREATE 33
#define BASS_ERROR_NOTAVAIL 37
#define BASS_ERROR_DECODE 38
#define BASS_ERROR_TIMEOUT 40
#define BASS_ERROR_FILEFORM 41
#define BASS_ERROR_VERSION 43
#define BASS_ERROR_CODEC 44
#define BASS_ERROR_ENDED 45
#define BASS_ERROR_BUSY 46
#define BASS_ERROR_UNKNOWN -1

// Device information flags.
#define BASS_DEVICE_ENABLED 1
#define BASS_DEVICE_DEFAULT 2
#define BASS_DEVICE_INIT 4

typedef struct
{
    const char *name; // description, UTF-8
    const char *driver; // driver identifier
    DWORD flags; // BASS_DEVICE_xxx
} BASS_DEVICEINFO;

// Stream and sample flags.
#define BASS_SAMPLE_LOOP 4
#define BASS_SAMPLE_FLOAT 256
#define BASS_STREAM_AUTOFREE 0x40000
#define BASS_STREAM_DECODE 0x200000
#define BASS_UNICODE 0x80000000

// Position modes of BASS_ChannelGetLength, GetPosition and SetPosition.
#define BASS_POS_BYTE 0

// Channel attributes.
#define BASS_ATTRIB_VOL 2

// Channel states, as returned by BASS_ChannelIsActive.
#define BASS_ACTIVE_STOPPED 0
#define BASS_ACTIVE_PLAYING 1
#define BASS_ACTIVE_STALLED 2
#define BASS_ACTIVE_PAUSED 3

BASSDEF(int) BASS_ErrorGetCode(void);
BASSDEF(BOOL) BASS_GetDeviceInfo(DWORD device, BASS_DEVICEINFO *info);
BASSDEF(BOOL) BASS_Init(int device, DWORD freq, DWORD flags, void *win, const void *dsguid);
BASSDEF(BOOL) BASS_Free(void);
BASSDEF(HPLUGIN) BASS_PluginLoad(const char *file, DWORD flags);
BASSDEF(HSTREAM) BASS_StreamCreateFile(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags);
BASSDEF(BOOL) BASS_StreamFree(HSTREAM handle);
BASSDEF(BOOL) BASS_ChannelPlay(DWORD handle, BOOL restart);
BASSDEF(BOOL) BASS_ChannelPause(DWORD handle);
BASSDEF(DWORD) BASS_ChannelIsActive(DWORD handle);
BASSDEF(BOOL) BASS_ChannelSetAttribute(DWORD handle, DWORD attrib, float value);
// Flags whose bits are set in `mask` take the values in `flags`; only
// BASS_SAMPLE_LOOP can change. Returns the channel's flags, (DWORD)-1 on error.
BASSDEF(DWORD) BASS_ChannelFlags(DWORD handle, DWORD flags, DWORD mask);
// Lengths and positions in bytes of the channel's format (the file's rate and
// channels, 16-bit samples or 32-bit with BASS_SAMPLE_FLOAT); (QWORD)-1 on error.
BASSDEF(QWORD) BASS_ChannelGetLength(DWORD handle, DWORD mode);
BASSDEF(QWORD) BASS_ChannelGetPosition(DWORD handle, DWORD mode);
// Playback continues from `pos`; the decoding to get there happens on the
// stream's own thread, so this returns at once.
BASSDEF(BOOL) BASS_ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode);
// Negative on error.
BASSDEF(double) BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);
BASSDEF(QWORD) BASS_ChannelSeconds2Bytes(DWORD handle, double pos);

#ifdef __cplusplus
}
#endif
