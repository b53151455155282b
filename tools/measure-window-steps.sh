#!/usr/bin/env bash
# Times the real program's answers on a big generated document: a value commit and its undo with
# more and more windows open, opening Find, keystrokes in Find, and opening Changes. Each step is
# a key press sent with xdotool; the program, started with VELMORA_TRACE_FILE, logs when the key
# arrives, each stretch of work of its user-interface thread and each time it goes idle after
# painting. A step's time runs from the key press until the end of the chain of work that answers
# it (the screen has stopped changing); its longest stretch of work is what the user waited on at
# once.
#
#   tools/measure-window-steps.sh BUILD_DIR [SECTIONS]
#
# BUILD_DIR holds a Release build with the benchmarks (app/VelmoraEdit and
# bench/velmora_write_installation); SECTIONS is the generated document's size in object sections
# (62,000 give about 18 MB, ten times a big real mod file). DISPLAY must name a running X server
# with a window manager (e.g. `Xvfb :53 & DISPLAY=:53 openbox &`). The table is printed at the end;
# the trace and the program folder stay in the folder it names.
set -euo pipefail

build=$(cd "${1:?usage: $0 BUILD_DIR [SECTIONS]}" && pwd)
sections=${2:-62000}
: "${DISPLAY:?DISPLAY must name a running X server}"
work=$(mktemp -d /tmp/velmora-steps.XXXXXX)
# The program is killed with unsaved changes at the end: its recovery copy stays in this run's own
# data folder, so that the next run is not met by the question to restore it.
export XDG_DATA_HOME=$work/data
trace=$work/trace.log
steps=$work/steps.log
"$build/bench/velmora_write_installation" "$work/folder" "$sections"

VELMORA_TRACE_FILE=$trace "$build/app/VelmoraEdit" --program-dir "$work/folder" "$work/folder/Mod.ini" \
    >"$work/program.log" 2>&1 &
program=$!
trap 'kill $program 2>/dev/null || true' EXIT

# Work shorter than this (ms) is the text cursor's blink and the like, not an answer to the user.
least_work=10
# Quiet once the trace has had no real work for this long (the Changes window waits 250 ms for
# edits to pause before it compares).
settle() {
    local quiet=${1:-1.5}
    sleep 0.3
    while :; do
        local last now state
        # Still at work when the loop last woke and has not gone idle since.
        state=$(awk '$1 == "wake" || $1 == "idle" { state = $1 } END { print state }' "$trace")
        last=$(awk -v least="$least_work" '$1 == "work" && $3 - $2 >= least { end = $3 } END { printf "%.0f", end }' "$trace")
        now=$(date +%s%3N)
        if [ "$state" = idle ] && [ $((now - last)) -gt "$(awk -v q="$quiet" 'BEGIN { printf "%d", q * 1000 }')" ]; then
            break
        fi
        sleep 0.2
    done
}

# A measured key press: `step NAME KEY...` logs the time it is sent and the time all was quiet.
step() {
    local name=$1 sent
    shift
    sent=$(date +%s.%N)
    xdotool key --clearmodifiers "$@"
    settle
    printf '%s\t%s\t%s\n' "$name" "$sent" "$(date +%s.%N)" >>"$steps"
}

window() { xdotool search --sync --onlyvisible --name "$1" | head -n 1; }

main=$(window 'Mod\.ini$')
settle 3
# The first category's window, from the main window's Edit button.
xdotool windowactivate --sync "$main"
xdotool mousemove --window "$main" 470 140 click 1
settle 3
category=$(xdotool getactivewindow)
# The value of the second key of the first page.
xdotool mousemove --window "$category" 565 110 click 1
settle

value=1000
commit() {
    local name=$1
    xdotool windowactivate --sync "$category"
    settle 0.5
    value=$((value + 1))
    xdotool key Return
    xdotool type "$value"
    step "$name" Return
    step "$name-undo" ctrl+z
    xdotool key ctrl+y  # the document keeps the change for the next step
    settle
}

commit "commit, main and category window"
xdotool windowactivate --sync "$category"
step "open Find" ctrl+f
find=$(window '^Find$')
step "Find keystroke 1" a
step "Find keystroke 2" r
step "Find keystroke 3" m
commit "commit with Find open"
xdotool windowactivate --sync "$main"
settle 0.5
xdotool key alt+f
settle 0.5
step "open Changes" m
commit "commit with Find and Changes open"
kill $program
wait $program 2>/dev/null || true
trap - EXIT

python3 - "$trace" "$steps" "$least_work" <<'PY'
import sys
trace = [line.split() for line in open(sys.argv[1])]
steps = [line.split('\t') for line in open(sys.argv[2]).read().splitlines()]
least = float(sys.argv[3])
print(f"{'step':40} {'sent->settled':>14} {'key->settled':>13} {'longest work':>13}")
works = sorted((float(t[1]), float(t[2])) for t in trace if t[0] == 'work')
for name, sent, quiet in steps:
    start, end = float(sent) * 1000, float(quiet) * 1000
    keys = [float(t[1]) for t in trace if t[0] == 'key' and start <= float(t[1]) < end]
    key = keys[0] if keys else start
    # The answer to the key is the chain of work that follows it: stretches a few milliseconds
    # long (a search or a copy cut in slices, a paint), each starting soon after the one before
    # (within the Changes window's pause for edits), up to the last. The cursor's blink, a
    # stretch far shorter, neither starts nor prolongs a chain.
    settled = key
    for begin, finish in works:
        if finish < key or begin >= end:
            continue
        if finish - begin >= 2 and begin - settled <= 300:
            settled = max(settled, finish)
    idle = [float(t[1]) for t in trace if t[0] == 'idle' and key <= float(t[1]) < end]
    settled = max(settled, idle[0] if idle else key)
    longest = max((e - b for b, e in works if e - b >= least and start <= e < end), default=0)
    print(f"{name:40} {settled - start:11.0f} ms {settled - key:10.0f} ms {longest:10.0f} ms")
PY
echo "trace and folder: $work"
