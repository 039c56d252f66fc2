#!/usr/bin/env bash
# Removes what `make install` put below a prefix: every file of the build's
# install manifest, then the program's own folders once they are empty.
# Folders shared with other programs (bin, share/icons...) stay.
set -euo pipefail
build=${1:?build folder}
prefix=${2:?install prefix}
manifest="$build/install_manifest.txt"
if [[ ! -f "$manifest" ]]; then
    echo "Nothing to uninstall: $manifest not found (was \`make install\` run from this folder?)" >&2
    exit 1
fi
prefix=$(realpath -m "$prefix")
removed=0
# CMake writes the manifest without a final newline: the last line is read
# too, or the last file installed would stay.
while IFS= read -r file || [[ -n "$file" ]]; do
    [[ -n "$file" ]] || continue
    # Only files below the prefix asked for: a manifest from an install
    # elsewhere must not remove that other copy.
    case "$(realpath -m "$file")" in
        "$prefix"/*) ;;
        *) continue ;;
    esac
    if [[ -e "$file" || -L "$file" ]]; then
        rm -f -- "$file"
        removed=$((removed + 1))
    fi
done <"$manifest"
for dir in "$prefix"/lib*/vantrel "$prefix"/lib/*/vantrel "$prefix/share/vantrel/help" "$prefix/share/vantrel" "$prefix/share/doc/vantrel"; do
    if [[ -d "$dir" ]]; then
        rmdir --ignore-fail-on-non-empty -- "$dir"
    fi
done
bash "$(dirname "$0")/refresh-desktop-caches.sh" "$prefix"
echo "Removed $removed files from $prefix"
