#!/usr/bin/env bash
# Fails when a tracked C or C++ file differs from what .clang-format makes of
# it, naming the files; `clang-format -i <file>` fixes one. Outside a git
# checkout (a source tarball) there is no list of tracked files to check.
set -euo pipefail
root=${1:?source folder}
cd "$root"
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "skipped: $root is not a git checkout"
    exit 77
fi
mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h' '*.c')
((${#files[@]} > 0)) || { echo "FAIL: no tracked C++ files found in $root" >&2; exit 1; }
present=()
for file in "${files[@]}"; do
    [[ -f "$file" ]] && present+=("$file")
done
# One clang-format for every file: started once per file it spent most of
# its time starting. Each difference it finds is reported as
# "file:line:column: error: ...".
report=$(clang-format --dry-run --Werror "${present[@]}" 2>&1 >/dev/null) || true
mapfile -t bad < <(grep -o '^[^:]*:[0-9]*:[0-9]*: error' <<<"$report" | cut -d: -f1 | sort -u)
if [[ -n "$report" && ${#bad[@]} -eq 0 ]]; then
    echo "FAIL: clang-format could not check the files: $report" >&2
    exit 1
fi
if ((${#bad[@]} > 0)); then
    printf 'not formatted: %s\n' "${bad[@]}" >&2
    exit 1
fi
echo "format_check: ${#files[@]} files formatted"
