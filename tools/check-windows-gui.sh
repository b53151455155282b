#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Proves the Windows build with real events: unpacks the portable zip that tools/check-windows.sh
# made, starts VelmoraEdit.exe under Wine on Xvfb (with a window manager), opens the sample's
# mods/Cinderfall.ini, opens its first category window, changes a value there and saves, all with
# keys typed by xdotool. The Linux build does the same on another copy of the sample, and the two
# saved files must be equal byte for byte. The Windows category window is left as a screenshot in
# docs/windows-category-window.png. Run by hand after tools/check-windows.sh; not part of ./test.sh.
#
#   tools/check-windows-gui.sh [--linux-only] [LINUX_VELMORAEDIT]
#
# LINUX_VELMORAEDIT is a Linux build of the program; without it a Release build is made in
# build/windows-gui-linux. --linux-only runs the steps on the Linux build alone: it shows that they
# still reach the value after a change of the windows, with no Windows build at hand.
# VELMORA_CHECK_DISPLAY picks the X display (:58).
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
velmora_install_deps wine64 xvfb xdotool imagemagick openbox unzip

linux_only=""
[ "${1:-}" = "--linux-only" ] && { linux_only=1; shift; }

display="${VELMORA_CHECK_DISPLAY:-:58}"
value=4321  # typed as the first entry's TechTier; no sample value is this
zip="$(compgen -G "build/windows-gui/VelmoraEdit-*-windows-x64.zip" | head -n 1 || true)"
[ -n "$zip" ] || [ -n "$linux_only" ] || { echo "No portable zip in build/windows-gui: run tools/check-windows.sh first." >&2; exit 1; }

linux_editor="${1:-}"
if [ -z "$linux_editor" ]; then
    cmake -S . -B build/windows-gui-linux -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF >/dev/null
    cmake --build build/windows-gui-linux --target VelmoraEdit
    linux_editor=build/windows-gui-linux/app/VelmoraEdit
fi
linux_editor="$(realpath "$linux_editor")"

export WINEPREFIX="$PWD/build/windows/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64

work="$(mktemp -d /tmp/velmora-windows-gui.XXXXXX)"
xvfb_pid="" wm_pid="" app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The Linux build keeps its settings in the scratch folder, away from the user's.
export XDG_CONFIG_HOME="$work/config"
cp -r samples "$work/windows-game"
cp -r samples "$work/linux-game"
original="$work/linux-game/mods/Cinderfall.ini.original"
cp "$work/linux-game/mods/Cinderfall.ini" "$original"

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -S "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
sleep 0.5
kill -0 "$xvfb_pid" 2>/dev/null || { echo "Xvfb did not start on $display (is it taken?)" >&2; exit 1; }
export DISPLAY="$display"
openbox >/dev/null 2>&1 &
wm_pid=$!
sleep 1  # the window manager takes over the display before a window is activated
mkdir -p "$WINEPREFIX"

# The id of the shown window whose caption matches the extended regular expression, waiting up to
# two minutes (Wine's first start is slow).
window_like() {
    local _ id
    for _ in $(seq 1200); do
        kill -0 "$app_pid" 2>/dev/null || { echo "The program ended early." >&2; return 1; }
        id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)"
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    echo "No window with a caption like /$1/ was shown." >&2
    return 1
}

# Types keys into a window after making it the active one.
keys_to() {
    xdotool windowactivate --sync "$1"
    sleep 0.5
    shift
    xdotool key --delay 150 "$@"
}

# The same steps for either build: DOCUMENT SCREENSHOT COMMAND... (no screenshot when empty)
drive_editor() {
    local document="$1" shot="$2" main category before
    shift 2
    before="$(stat -c %Y.%s "$document")"
    "$@" &
    app_pid=$!
    main="$(window_like 'Cinderfall\.ini')"
    sleep 2
    # Find leads to the value whatever the windows' layout and focus order: the first result for
    # "TechTier" is the first infantry entry's (GRUNT), and Enter opens its category window with
    # that value's cell current. The index is made on a thread of its own, hence the pauses.
    keys_to "$main" ctrl+f
    window_like '^Find$' >/dev/null
    sleep 2
    xdotool type --delay 150 "TechTier"
    sleep 3
    xdotool key Return
    category="$(window_like '^InfantryTypes$')"
    sleep 2
    # Enter opens the cell's editor, the typed value replaces the text, and Enter stores it.
    keys_to "$category" Return ctrl+a
    xdotool type --delay 150 "$value"
    xdotool key Return
    sleep 1
    [ -z "$shot" ] || import -window root "$shot"
    keys_to "$main" ctrl+s
    for _ in $(seq 300); do [ "$(stat -c %Y.%s "$document")" != "$before" ] && break; sleep 0.1; done
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
}

echo "The Linux build, on $work/linux-game..."
drive_editor "$work/linux-game/mods/Cinderfall.ini" "" \
    "$linux_editor" --program-dir "$work/linux-game" "$work/linux-game/mods/Cinderfall.ini"
if cmp -s "$original" "$work/linux-game/mods/Cinderfall.ini"; then
    echo "The Linux build saved no change: the steps did not reach the value." >&2
    exit 1
fi
grep -q "^TechTier=$value" "$work/linux-game/mods/Cinderfall.ini"
[ -z "$linux_only" ] || { echo "The steps change and save the value in the Linux build."; exit 0; }

echo "The Windows build under Wine, on $work/windows-game..."
unzip -q "$zip" -d "$work/zip"
program="$(ls -d "$work"/zip/*/VelmoraEdit.exe)"
"$wine" wineboot --init >/dev/null 2>&1
win_dir="$("$wine" winepath -w "$work/windows-game" 2>/dev/null)"
drive_editor "$work/windows-game/mods/Cinderfall.ini" docs/windows-category-window.png \
    "$wine" "$program" --program-dir "$win_dir" "$win_dir\\mods\\Cinderfall.ini"

cmp "$work/linux-game/mods/Cinderfall.ini" "$work/windows-game/mods/Cinderfall.ini"
echo "The Windows build saved the same bytes as the Linux build. Screenshot: docs/windows-category-window.png"
