#!/usr/bin/env bash
# Renders the program's icon groups from their SVG drawings into .ico files
# with exactly the sizes the program loads, every image 32-bit with alpha.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert; the .ico files
# are committed, so only a changed drawing needs this script.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

render() {
    local name=$1
    shift
    local args=()
    for size in "$@"; do
        rsvg-convert -w "$size" -h "$size" "$name.svg" -o "$work/$name-$size.png"
        # Straight-alpha BGRA words, rows top-down, for the bitmap entries.
        convert "$work/$name-$size.png" -depth 8 BGRA:"$work/$name-$size.bgra"
        args+=("$size")
    done
    python3 - "$work" "$name" "${args[@]}" <<'PY'
import struct, sys
work, name, sizes = sys.argv[1], sys.argv[2], [int(s) for s in sys.argv[3:]]
images = []
for s in sizes:
    if s == 256:
        # Large images are stored PNG-compressed, as Windows' own icons are.
        images.append(open(f"{work}/{name}-{s}.png", "rb").read())
        continue
    raw = open(f"{work}/{name}-{s}.bgra", "rb").read()
    assert len(raw) == s * s * 4
    rows = [raw[y * s * 4:(y + 1) * s * 4] for y in range(s)]
    mask_stride = ((s + 31) // 32) * 4
    mask = b""
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(s):
            if row[x * 4 + 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    header = struct.pack("<IiiHHIIiiII", 40, s, 2 * s, 1, 32, 0, len(raw) + len(mask), 0, 0, 0, 0)
    images.append(header + b"".join(reversed(rows)) + mask)
out = struct.pack("<HHH", 0, 1, len(images))
offset = 6 + 16 * len(images)
for s, data in zip(sizes, images):
    out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
out += b"".join(images)
open(f"{name}.ico", "wb").write(out)
PY
    echo "$name.ico: $*"
}

render 00MAINICON 64 48 32 24 16
render 16QUESTION 256 64 48 32 16
render 17STAR 128 64 48 32 24 16
