#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs clang-tidy with the checked-in .clang-tidy over our own sources (not the tests, benchmarks
# or generated files), using the compile commands of the build folder given as $1. Fails when
# clang-tidy reports anything.
#
# A file that passed is not checked again while nothing it is linted from changes: its text, the
# texts of the headers it includes (as the build's dependency list names them), its compile
# command, .clang-tidy, this script and clang-tidy itself. The passes are kept by those contents
# in the user's cache folder, as ccache keeps compiles, so a fresh clone of a commit linted before
# is not linted again. VELMORA_TIDY_CACHE names another folder; an empty one keeps nothing.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:?usage: run-clang-tidy.sh BUILD_DIR [JOBS]}" && pwd)"
jobs="${2:-$(nproc)}"
tidy="${CLANG_TIDY:-clang-tidy}"
work="$build/clang-tidy"
cache="${VELMORA_TIDY_CACHE-${XDG_CACHE_HOME:-$HOME/.cache}/velmora/clang-tidy}"
mkdir -p "$work"
[ -n "$cache" ] && mkdir -p "$cache"

# The compile commands without GCC's precompiled headers, which clang cannot read: each file is
# linted with the headers it includes itself.
mkdir -p "$work/db"
python3 - "$build/compile_commands.json" "$work/db/compile_commands.json" <<'PY'
import json, re, sys
entries = json.load(open(sys.argv[1]))
for entry in entries:
    entry["command"] = re.sub(r" -include \S*cmake_pch\.hxx| -Winvalid-pch", "", entry["command"])
json.dump(entries, open(sys.argv[2], "w"))
PY

# Our translation units, as the build compiles them, each with the key of what it is linted from.
ninja -C "$build" -t deps >"$work/deps.txt"
mapfile -t units < <("$tidy" --version | python3 - "$work/db/compile_commands.json" "$work/deps.txt" "$root" "$build" <<'PY'
import hashlib, json, os, re, sys
commands, depsFile, root, build = sys.argv[1:5]
version = sys.stdin.read()
folders = tuple(f"{root}/{name}/" for name in ("core", "gui", "cli", "app", "tools"))

# The dependencies of each object the build made, by the object's path.
deps, current = {}, None
for line in open(depsFile):
    if not line.startswith(" "):
        current = line.split(":", 1)[0] if "(VALID)" in line else None
        if current: deps[current] = []
    elif current and line.strip():
        deps[current].append(line.strip())

def read(path):
    with open(path, "rb") as f:
        return f.read()

shared = hashlib.sha256(version.encode())
for name in (".clang-tidy", "tools/run-clang-tidy.sh"):
    shared.update(read(os.path.join(root, name)))
ours = lambda path: path.startswith(root + "/")
every_header = sorted(os.path.join(d, f) for d, _, fs in os.walk(root)
                      if not d.startswith(build) and "/.git" not in d
                      for f in fs if f.endswith((".h", ".ui")))

seen = set()
for entry in json.load(open(commands)):
    source = entry["file"]
    if source in seen or not source.startswith(folders) or not source.endswith(".cpp"): continue
    seen.add(source)
    command = entry["command"]
    output = re.search(r" -o (\S+)", command)
    inputs = deps.get(output.group(1)) if output else None
    # Without the build's list (a build that never ran), every header of ours counts.
    paths = [os.path.normpath(os.path.join(entry["directory"], p)) for p in inputs] if inputs else every_header + [source]
    key = shared.copy()
    key.update(command.replace(build, "<build>").replace(root, "<root>").encode())
    for path in sorted(p for p in paths if ours(p)):
        key.update(path.replace(build, "<build>").replace(root, "<root>").encode() + b"\0")
        key.update(read(path))
    print(f"{source}\t{key.hexdigest()}")
PY
)

if [ "${#units[@]}" -eq 0 ]; then
    echo "clang-tidy: no sources of ours in $build/compile_commands.json" >&2
    exit 1
fi

stale=()
for unit in "${units[@]}"; do
    source="${unit%%$'\t'*}"
    key="${unit#*$'\t'}"
    [ -n "$cache" ] && [ -f "$cache/$key" ] && continue
    stale+=("$source" "$key")
done
echo "clang-tidy: $((${#stale[@]} / 2)) of ${#units[@]} files to check..."
[ "${#stale[@]}" -eq 0 ] && exit 0

# One clang-tidy per file, $jobs at a time; a clean file's key is kept.
export tidy work cache
status=0
printf '%s\0' "${stale[@]}" | xargs -0 -n 2 -P "$jobs" bash -c '
    source="$1" key="$2"
    if output="$("$tidy" -p "$work/db" --quiet "$source" 2>&1)"; then
        [ -z "$cache" ] || : >"$cache/$key"
    else
        printf "%s\n" "$output" | grep -v "warnings generated\|Suppressed\|Use -header-filter\|^Error while processing" >&2
        exit 1
    fi' _ || status=1
[ "$status" -eq 0 ] && echo "clang-tidy: no findings."
exit "$status"
