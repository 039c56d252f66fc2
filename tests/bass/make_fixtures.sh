#!/usr/bin/env bash
# Makes the audio library's test files in folder $1 with the ffmpeg tool:
# sine tones of known pitch and length in each format ffmpeg can write.
# Files already there are kept, so the build folder caches them; each file is
# written under a temporary name and renamed, so runs in parallel are safe.
set -euo pipefail
out=$1
mkdir -p "$out"

# tone NAME EXPRESSION SECONDS CHANNELS [ffmpeg output options...]
tone() {
    local name=$1 expr=$2 seconds=$3 channels=$4
    shift 4
    [[ -s "$out/$name" ]] && return 0
    local source=$expr
    [[ $channels == 2 ]] && source="$expr|$expr"
    local tmp="$out/.tmp-$$-$name"
    ffmpeg -nostdin -loglevel error -y -f lavfi -i "aevalsrc=${source}:s=44100:d=${seconds}" \
        -map_metadata -1 "$@" "$tmp"
    mv -f "$tmp" "$out/$name"
}

sine='0.5*sin(2*PI*440*t)'
# Behaviour fixtures: plain PCM, so levels and lengths are exact.
tone long440.wav "$sine" 2 1 -c:a pcm_s16le
tone short440.wav "$sine" 0.3 1 -c:a pcm_s16le
tone level440.wav "$sine" 1.2 1 -c:a pcm_f32le
# 440, 660, 880, 1100 Hz for a quarter second each: where playback is in the
# file can be read from the pitch.
tone steps.wav '0.5*sin(2*PI*(440+220*floor(t*4))*t)' 1 1 -c:a pcm_s16le
# Eight quarter-second steps from 400 to 1450 Hz: a seek's landing place can
# be read from the pitch and from how long that step still sounds.
ladder='0.5*sin(2*PI*(400+150*floor(t*4))*t)'
tone ladder.wav "$ladder" 2 1 -c:a pcm_s16le
tone ladder.flac "$ladder" 2 2 -c:a flac
# 880 Hz for 0.3 s, then 1320 Hz: the start of the file is recognisable.
tone marked.wav '0.5*sin(2*PI*if(lt(t\,0.3)\,880\,1320)*t)' 0.7 1 -c:a pcm_s16le
# A 0.4 s one-shot, 880 Hz then 1320 Hz, and ten seconds that begin with
# half a second of 880 Hz before 440 Hz: each pass of a loop is heard as
# its rising pair, and the start of another pass by its 880 Hz.
tone blip.wav '0.5*sin(2*PI*if(lt(t\,0.2)\,880\,1320)*t)' 0.4 1 -c:a pcm_s16le
tone ten-marked.wav '0.5*sin(2*PI*if(lt(t\,0.5)\,880\,440)*t)' 10 1 -c:a pcm_s16le

# One second of 440 Hz, stereo, in every writable format of the browser's filter.
tone tone.mp3 "$sine" 1 2 -c:a libmp3lame -b:a 128k
tone tone.mp2 "$sine" 1 2 -c:a mp2 -b:a 192k
tone tone.mpa "$sine" 1 2 -f mp2 -c:a mp2 -b:a 192k
tone tone.flac "$sine" 1 2 -c:a flac
tone tone.fla "$sine" 1 2 -f flac -c:a flac
tone tone.flc "$sine" 1 2 -f flac -c:a flac
tone tone-vorbis.oga "$sine" 1 2 -f ogg -c:a libvorbis
tone tone-opus.oga "$sine" 1 2 -f ogg -c:a libopus
tone tone-flac.oga "$sine" 1 2 -f ogg -c:a flac
tone tone.wav "$sine" 1 2 -c:a pcm_s16le
tone tone.aif "$sine" 1 2 -f aiff -c:a pcm_s16be
tone tone.aiff "$sine" 1 2 -f aiff -c:a pcm_s16be
tone tone.aifc "$sine" 1 2 -f aiff -c:a pcm_s16le
tone tone.afc "$sine" 1 2 -f aiff -c:a pcm_s16le
tone tone.mp4 "$sine" 1 2 -f mp4 -c:a aac
tone tone.m4a "$sine" 1 2 -f mp4 -c:a aac
tone tone-alac.m4a "$sine" 1 2 -f ipod -c:a alac
# The source of a file whose timestamps the tests make jump: without an edit
# list, so only the time base and the frame durations need changing.
tone plain-timeline.m4a "$sine" 1 2 -f mp4 -c:a aac -use_editlist 0
tone tone.m4b "$sine" 1 2 -f mp4 -c:a aac
tone tone.aac "$sine" 1 2 -f adts -c:a aac
tone tone.ac3 "$sine" 1 2 -c:a ac3
tone tone.wma "$sine" 1 2 -f asf -c:a wmav2
tone tone.ogg "$sine" 1 2 -f ogg -c:a libvorbis
tone tone.opus "$sine" 1 2 -f ogg -c:a libopus
tone tone.spx "$sine" 1 2 -f ogg -c:a libspeex -ar 32000
tone tone.wv "$sine" 1 2 -f wv -c:a wavpack
tone tone.tta "$sine" 1 2 -f tta -c:a tta
tone tone.caf "$sine" 1 2 -f caf -c:a pcm_s16le
tone tone.w64 "$sine" 1 2 -f w64 -c:a pcm_s16le
tone tone.mka "$sine" 1 2 -f matroska -c:a flac

# Musepack from Debian's encoder, when installed (musepack-tools).
if command -v mpcenc >/dev/null && [[ ! -s "$out/tone.mpc" ]]; then
    tmp="$out/.tmp-$$-tone.mpc"
    mpcenc --silent --overwrite "$out/tone.wav" "$tmp" 2>/dev/null
    mv -f "$tmp" "$out/tone.mpc"
fi
exit 0
