#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs clang-tidy with the checked-in .clang-tidy over our own sources (not the tests, benchmarks
# or generated files), using the compile commands of the build folder given as $1. Fails when
# clang-tidy reports anything.
#
# A file that passed is not checked again until it, one of our headers, .clang-tidy or this script
# changes (the stamps live in $1/clang-tidy), so a second run after a small change is quick.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:?usage: run-clang-tidy.sh BUILD_DIR [JOBS]}" && pwd)"
jobs="${2:-$(nproc)}"
tidy="${CLANG_TIDY:-clang-tidy}"
stamps="$build/clang-tidy"
mkdir -p "$stamps"

# Our translation units, as the build compiles them.
mapfile -t sources < <(python3 - "$build/compile_commands.json" "$root" <<'PY'
import json, sys
build, root = sys.argv[1], sys.argv[2]
folders = tuple(f"{root}/{name}/" for name in ("core", "gui", "cli", "app", "tools"))
files = {entry["file"] for entry in json.load(open(build))}
print("\n".join(sorted(f for f in files if f.startswith(folders) and f.endswith(".cpp"))))
PY
)

if [ "${#sources[@]}" -eq 0 ]; then
    echo "clang-tidy: no sources of ours in $build/compile_commands.json" >&2
    exit 1
fi

# The compile commands without GCC's precompiled headers, which clang cannot read: each file is
# linted with the headers it includes itself.
mkdir -p "$stamps/db"
python3 - "$build/compile_commands.json" "$stamps/db/compile_commands.json" <<'PY'
import json, re, sys
entries = json.load(open(sys.argv[1]))
for entry in entries:
    entry["command"] = re.sub(r" -include \S*cmake_pch\.hxx| -Winvalid-pch", "", entry["command"])
json.dump(entries, open(sys.argv[2], "w"))
PY

# The newest of what every file depends on besides itself.
shared_inputs=("$root/.clang-tidy" "$root/tools/run-clang-tidy.sh")
for folder in core gui app cli tools forms; do
    for header in "$root/$folder"/*.h "$root/$folder"/*/*.h "$root/$folder"/*.ui; do
        [ -f "$header" ] && shared_inputs+=("$header")
    done
done
newest_shared="$(stat -c %Y "${shared_inputs[@]}" | sort -n | tail -n 1)"

stale=()
for source in "${sources[@]}"; do
    stamp="$stamps/$(echo "${source#"$root"/}" | tr / _).ok"
    if [ ! -f "$stamp" ] || [ "$(stat -c %Y "$source")" -gt "$(stat -c %Y "$stamp")" ] ||
        [ "$newest_shared" -gt "$(stat -c %Y "$stamp")" ]; then
        rm -f "$stamp"
        stale+=("$source")
    fi
done
echo "clang-tidy: ${#stale[@]} of ${#sources[@]} files to check..."
[ "${#stale[@]}" -eq 0 ] && exit 0

# One clang-tidy per file, $jobs at a time; a clean file gets its stamp.
started="$(date +%s)"
export root build tidy stamps started
status=0
printf '%s\0' "${stale[@]}" | xargs -0 -n 1 -P "$jobs" bash -c '
    source="$1"
    stamp="$stamps/$(echo "${source#"$root"/}" | tr / _).ok"
    if output="$("$tidy" -p "$stamps/db" --quiet "$source" 2>&1)"; then
        touch -d "@$started" "$stamp"
    else
        printf "%s\n" "$output" | grep -v "warnings generated\|Suppressed\|Use -header-filter\|^Error while processing" >&2
        exit 1
    fi' _ || status=1
[ "$status" -eq 0 ] && echo "clang-tidy: no findings."
exit "$status"
