#!/usr/bin/env bash
# Measures the peak resident memory (VmHWM) of the real program on a big generated document, as a
# multiple of the document's size: the editor after loading it and opening Find and Changes, and
# the command line's format, catalogue and check of the same document.
#
#   tools/measure-memory.sh BUILD_DIR [SECTIONS]
#
# BUILD_DIR holds a Release build with the benchmarks (app/VelmoraEdit, cli/velmora-ini and
# bench/velmora_write_installation); SECTIONS is the generated document's size in object sections
# (62,000 give about 18 MB). DISPLAY must name a running X server with a window manager (e.g.
# `Xvfb :53 & DISPLAY=:53 openbox &`). The goal is under 8 times the document for the editor.
set -euo pipefail

build=$(cd "${1:?usage: $0 BUILD_DIR [SECTIONS]}" && pwd)
sections=${2:-62000}
: "${DISPLAY:?DISPLAY must name a running X server}"
work=$(mktemp -d /tmp/velmora-memory.XXXXXX)
trap 'rm -rf "$work"' EXIT
# The program is killed with unsaved state at the end: its recovery copy stays in this run's folder.
export XDG_DATA_HOME=$work/data
"$build/bench/velmora_write_installation" "$work/folder" "$sections" >/dev/null
document=$work/folder/Mod.ini
size=$(stat -c %s "$document")

# A field of /proc/PID/status in kB.
status_kb() { awk -v field="$1:" '$1 == field { print $2 }' "/proc/$2/status"; }
# Waits until the process's resident memory has not changed for two seconds.
settle() {
    local last=-1 now
    while now=$(status_kb VmRSS "$1") && [ "$now" != "$last" ]; do
        last=$now
        sleep 2
    done
}
report() {
    awk -v name="$1" -v kb="$2" -v size="$size" \
        'BEGIN { printf "%-44s %8.1f MB %6.2f times the document\n", name, kb / 1024, kb * 1024 / size }'
}
# The editor's peak so far, and what it holds now.
report_editor() {
    report "$1, peak" "$(status_kb VmHWM $program)"
    report "$1, resident" "$(status_kb VmRSS $program)"
}

printf 'document: %s sections, %.1f MB\n' "$sections" "$(awk -v s="$size" 'BEGIN { print s / 1048576 }')"
"$build/app/VelmoraEdit" --program-dir "$work/folder" "$document" >"$work/program.log" 2>&1 &
program=$!
trap 'kill $program 2>/dev/null || true; rm -rf "$work"' EXIT
main=$(xdotool search --sync --onlyvisible --name 'Mod\.ini$' | head -n 1)
settle $program
report_editor "editor, document loaded"
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers ctrl+f
xdotool search --sync --onlyvisible --name '^Find$' >/dev/null
settle $program
report_editor "editor, Find open"
xdotool windowactivate --sync "$main"
xdotool key --clearmodifiers alt+f
sleep 0.5
# "m" is also the mnemonic of Open Mod Folder, which comes first: the second press reaches Compare.
xdotool key --clearmodifiers m m Return
xdotool search --sync --onlyvisible --name '^Changes$' >/dev/null
settle $program
report_editor "editor, Find and Changes open"
kill $program
wait $program 2>/dev/null || true

# The command line, each command a process of its own; GNU time's "Maximum resident set size" is
# the process's VmHWM.
cli() {
    local name=$1
    shift
    /usr/bin/time -f %M -o "$work/peak" "$build/cli/velmora-ini" "$@" >/dev/null 2>&1 || true
    report "$name" "$(tail -n 1 "$work/peak")"
}
cli "velmora-ini format" format "$document" "$work/formatted.ini"
cli "velmora-ini catalogue" catalogue "$work/folder" "$document"
cli "velmora-ini check" check "$work/folder" "$document"
