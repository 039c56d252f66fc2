#pragma once

// The C boundary between libbass.so and its FFmpeg decoder, libbass_ffmpeg.so.
// The decoder lives in its own shared object so that a program linking
// libbass.so does not load FFmpeg (and the ~130 libraries it pulls in) at
// start-up: libbass.so opens it with dlopen on a thread of its own once the
// output is opened, or at the first stream if that comes sooner.

#ifdef __cplusplus
extern "C" {
#endif

typedef struct BassDecoder BassDecoder;

typedef struct
{
    int sampleRate; // output rate, frames per second
    int channels; // output channels, interleaved float
    // Polled by FFmpeg while it waits for I/O; non-zero aborts the wait.
    int (*interrupt)(void *opaque);
    void *opaque;
} BassDecoderOptions;

// Opens a file (UTF-8 path) and decodes its first audio, so that a file which
// cannot be played fails here. Returns a BASS error code (0 on success).
typedef int (*BassDecoderOpenFn)(const char *path, const BassDecoderOptions *options, BassDecoder **decoder);
// Fills up to `frames` interleaved frames. Returns the number written, 0 at
// the end of the file, or a negative number when the data cannot be decoded.
typedef int (*BassDecoderReadFn)(BassDecoder *decoder, float *out, int frames);
// Goes back to the first sample. Returns a BASS error code.
typedef int (*BassDecoderRewindFn)(BassDecoder *decoder);
typedef void (*BassDecoderCloseFn)(BassDecoder *decoder);
// The file's own format, as its decoder delivers it before resampling.
typedef struct
{
    int sampleRate;
    int channels;
    long long frames; // length in the file's frames, -1 when the file does not say
} BassDecoderInfo;
// Returns a BASS error code.
typedef int (*BassDecoderInfoFn)(BassDecoder *decoder, BassDecoderInfo *info);
// Moves to `seconds` from the start: the next read starts with the sample
// there. Returns a BASS error code.
typedef int (*BassDecoderSeekFn)(BassDecoder *decoder, double seconds);
// Sets up, ahead of the first file, what opening it would otherwise set up.
typedef void (*BassDecoderPrepareFn)(void);

#define BASS_DECODER_OPEN "bass_decoder_open"
#define BASS_DECODER_READ "bass_decoder_read"
#define BASS_DECODER_REWIND "bass_decoder_rewind"
#define BASS_DECODER_CLOSE "bass_decoder_close"
#define BASS_DECODER_INFO "bass_decoder_info"
#define BASS_DECODER_SEEK "bass_decoder_seek"
#define BASS_DECODER_PREPARE "bass_decoder_prepare"

#ifdef __cplusplus
}
#endif
